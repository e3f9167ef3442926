#!/usr/bin/env bash
# Requests per second on loopback with 8 connections (wrk), while the server's tick keeps running.
# Run after `make bench`: bash bench/http_load.sh [port]
set -euo pipefail
port="${1:-38080}"
here="$(cd "$(dirname "$0")/.." && pwd)"
server="$here/build/bench/bench/http_load/http_load_server"
command -v wrk >/dev/null || { echo "wrk is missing: run make bench" >&2; exit 1; }
[ -x "$server" ] || { echo "$server is missing: run make bench" >&2; exit 1; }

"$server" "$port" 75 &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT
sleep 2
for path in /t2 "/t2?gzip=1" /status /t1; do
  echo "== $path"
  wrk -t2 -c8 -d15s "http://127.0.0.1:$port$path" | grep -E "Requests/sec|Latency|Transfer/sec|requests in"
done
# The web map's aircraft document, plain and as a browser asks for it.
for enc in identity gzip; do
  echo "== /data/aircraft.json ($enc)"
  wrk -t2 -c8 -d15s -H "Accept-Encoding: $enc" "http://127.0.0.1:$((port + 1))/data/aircraft.json" |
    grep -E "Requests/sec|Latency|Transfer/sec|requests in"
done
wait $pid
trap - EXIT
