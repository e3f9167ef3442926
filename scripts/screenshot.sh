#!/usr/bin/env bash
# Screenshots of the main window on the simulated dongle's demo sky, under a virtual X display.
#
#   scripts/screenshot.sh [build-dir] [out-dir] [program switches...]
#       build-dir: default build/release, else build/test; out-dir: default build/screenshots
#
# The program is started with -run (START pressed by itself) under Xvfb, with its settings in a
# temporary folder. The program grabs its own windows: VARNOCK_SCREENSHOT_DIR names the folder,
# VARNOCK_SCREENSHOT_AFTER the seconds before the first picture (packet list), and
# VARNOCK_SCREENSHOT_TABLE_AFTER the seconds after which, with "List" released, the second one
# (aircraft table) is taken. Then "SISEX>>" opens the signals-in-space explorer: after
# VARNOCK_SCREENSHOT_EXPLORER_AFTER seconds of live pages explorer-live.png, then (recording stopped)
# explorer-overview.png, explorer-zoom.png (zoomed on the strongest reply with a marker on it) and
# explorer-statistics.png; the program then ends as by its close box. The PNG files are printed.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
default_build=$here/build/release
[ -x "$default_build/src/varnock" ] || default_build=$here/build/test
build=${1:-$default_build}
out=${2:-$here/build/screenshots}
shift $(( $# < 2 ? $# : 2 ))
bin=$build/src/varnock
sim=$build/src/streaming/simdongle/libvarnock_simdongle.so

for f in "$bin" "$sim"; do
  [ -e "$f" ] || { echo "screenshot.sh: $f is missing; build first (make release)" >&2; exit 1; }
done
command -v xvfb-run >/dev/null || { echo "screenshot.sh: xvfb-run is missing (package xvfb)" >&2; exit 1; }

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$out"
rm -f "$out"/*.png

# A port plan whose ports are all free now, below the kernel's ephemeral range (from 32768), so
# neither a running instance nor an outgoing connection is in the way.
port_free() { ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
base=
for _ in $(seq 50); do
  b=$(( 10000 + RANDOM % 1000 * 10 ))
  ok=1
  for p in $(seq 1 11); do port_free $((b + p)) || { ok=0; break; }; done
  [ $ok = 1 ] && { base=$b; break; }
done
[ -n "$base" ] || { echo "screenshot: no free port plan found" >&2; exit 1; }

env -u WAYLAND_DISPLAY \
  VARNOCK_HOME="$home" \
  VARNOCK_RTLSDR_LIB="$sim" \
  VARNOCK_SIM_SOURCE=demo \
  VARNOCK_SCREENSHOT_DIR="$out" \
  VARNOCK_SCREENSHOT_AFTER="${VARNOCK_SCREENSHOT_AFTER:-8}" \
  VARNOCK_SCREENSHOT_TABLE_AFTER="${VARNOCK_SCREENSHOT_TABLE_AFTER:-4.5}" \
  LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$here/scripts/lsan-gui.supp}" \
  timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24" "$bin" -run "-portbase=$base" "$@" >/dev/null

ls -1 "$out"/*.png
