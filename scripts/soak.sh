#!/usr/bin/env bash
# Runs the receiver for DURATION on a 2000-aircraft simulated sky under client load; fails on growth or loss.
#
#   scripts/soak.sh DURATION [build-dir] [out-dir]      DURATION: 600, 90s, 30m, 1h
#
# Instance A (console view, busy sky of 2000 aircraft) serves a raw client, five 30003 clients (the
# fifth never reads), an HTTP poller of all four tables each second and connect/disconnect churn, and
# sends its frames by UDP to instance B, whose raw client must get them all. Each minute (when A
# rewrites its VARNOCK_STATS_FILE) a row goes to soak.tsv: RSS, descriptors, tick median and worst,
# buffers missed, lines per client. The run fails when a buffer is missed, a reading client misses
# output, or RSS or descriptors grow after the warm-up (SOAK_WARMUP_MIN, 10 minutes). It ends with
# soak.png (gnuplot, installed by scripts/install-deps.sh --soak) and PASS or FAIL in summary.txt.
set -euo pipefail

usage() { echo "usage: $0 DURATION [build-dir] [out-dir]   (DURATION: 600, 90s, 30m, 1h)" >&2; exit 2; }
[ $# -ge 1 ] || usage
case "$1" in
  *h) seconds=$(( ${1%h} * 3600 )) ;;
  *m) seconds=$(( ${1%m} * 60 )) ;;
  *s) seconds=${1%s} ;;
  *) seconds=$1 ;;
esac
[[ "$seconds" =~ ^[0-9]+$ ]] && [ "$seconds" -gt 0 ] || usage

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${2:-$root/build/release}" && pwd)
out=${3:-$root/build/soak-$(date -u +%Y%m%d-%H%M%S)}
mkdir -p "$out"
out=$(cd "$out" && pwd)
bin=$build/src/varnock
lib=$build/src/streaming/simdongle/libvarnock_simdongle.so
[ -x "$bin" ] && [ -f "$lib" ] || { echo "soak: build first (make release): $bin" >&2; exit 2; }
command -v gnuplot >/dev/null || echo "soak: gnuplot missing (scripts/install-deps.sh --soak): no plot" >&2

# Two port plans of eleven ports each, all free now.
port_free() { ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
base=${SOAK_PORTBASE:-}
if [ -z "$base" ]; then
  for _ in $(seq 50); do
    b=$(( 20000 + (RANDOM % 800) * 20 ))
    ok=1
    for p in 1 2 4 8 11 12 14 18; do port_free $((b + p)) || { ok=0; break; }; done
    [ $ok = 1 ] && { base=$b; break; }
  done
fi
[ -n "$base" ] || { echo "soak: no free port range found" >&2; exit 2; }

tables=(A100001 A100002 A100003 A100004)
for who in a b; do
  mkdir -p "$out/$who"
  cat >"$out/$who/varnock.ini" <<EOF
[sdr]
list=0
[udp]
out=$([ $who = a ] && echo 1 || echo 0)
ip=127.0.0.1
[tables]
table1=${tables[0]}
table2=${tables[1]}
table3=${tables[2]}
table4=${tables[3]}
EOF
done

export VARNOCK_RTLSDR_LIB=$lib VARNOCK_SIM_DEVICES=2 VARNOCK_SIM_PACE=real
export VARNOCK_SIM_0_SOURCE=busy2000 VARNOCK_SIM_1_SOURCE=/dev/zero # B decodes nothing of its own
export QT_QPA_PLATFORM=offscreen
unset DISPLAY WAYLAND_DISPLAY

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

# The list is filtered: the aircraft table of 2000 lines every 2 s would fill the disk.
keep() { awk 'NR <= 60 || /missed|Cannot|rror|ail|not written/ { print; fflush() }' >"$1"; }

VARNOCK_HOME=$out/b "$bin" -console -run -ser=2 -avr -portbase=$((base + 10)) \
  </dev/null > >(keep "$out/b/console.log") 2>&1 &
pids+=($!); pid_b=$!
VARNOCK_HOME=$out/a VARNOCK_STATS_FILE=$out/a/stats.txt "$bin" -console -run -ser=1 -avr \
  -portbase=$base -udptarget=$((base + 10)) </dev/null > >(keep "$out/a/console.log") 2>&1 &
pids+=($!); pid_a=$!

# START comes 1.75 s after the start; then the servers listen.
for _ in $(seq 100); do
  port_free $((base + 4)) || port_free $((base + 11)) || break
  sleep 0.2
done
sleep 1

echo "soak: $seconds s, ports $base+.., results in $out"
status=0
python3 "$root/scripts/soak_driver.py" --base "$base" --pid "$pid_a" --relay-pid "$pid_b" \
  --stats "$out/a/stats.txt" --seconds "$seconds" --warmup-minutes "${SOAK_WARMUP_MIN:-10}" \
  --tables "${tables[@]}" --table "$out/soak.tsv" --summary "$out/summary.txt" || status=$?
kill "$pid_b" 2>/dev/null || true
wait "$pid_a" "$pid_b" 2>/dev/null || true

if command -v gnuplot >/dev/null && [ "$(wc -l <"$out/soak.tsv")" -gt 1 ]; then
  gnuplot <<EOF || echo "soak: the plot failed" >&2
set terminal pngcairo size 1000,700 font "Liberation Sans,10"
set output "$out/soak.png"
set datafile separator "\t"
set key autotitle columnhead top left
set multiplot layout 2,1 title "varnock soak: 2000-aircraft sky, $(date -u +%Y-%m-%d) $seconds s"
set xlabel "minute"
set ylabel "RSS (MB)"
set y2label "open descriptors"
set ytics nomirror
set y2tics
set yrange [0:*]
set y2range [0:*]
plot "$out/soak.tsv" using 1:(\$2/1024) with linespoints title "RSS (MB)", \
     "" using 1:3 axes x1y2 with linespoints title "descriptors"
unset y2label
unset y2tics
set ylabel "tick (ms)"
set yrange [0:*]
plot "$out/soak.tsv" using 1:(\$4/1000) with linespoints title "tick median", \
     "" using 1:(\$5/1000) with linespoints title "tick worst", \
     "" using 1:6 with impulses title "buffers missed (count)"
unset multiplot
EOF
fi

column -t "$out/soak.tsv" || cat "$out/soak.tsv"
cat "$out/summary.txt"
exit $status
