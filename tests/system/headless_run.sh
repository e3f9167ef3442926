#!/usr/bin/env bash
# The receiver as a service runs it: no terminal, standard input closed, ended by SIGTERM.
# Usage: headless_run.sh VARNOCK_BIN SIMDONGLE_LIB [SECONDS]
set -u
bin=$1 lib=$2 secs=${3:-5}
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
fail() { echo "FAIL: $*"; echo "--- output (last lines)"; grep -av '^\*' "$home/out.txt" | tail -20; exit 1; }

# A port base of our own in the upper half of the registered range, away from other runs.
base=$(( 20000 + ($$ % 400) * 20 ))
env -u DISPLAY -u WAYLAND_DISPLAY VARNOCK_HOME="$home" VARNOCK_RTLSDR_LIB="$lib" VARNOCK_SIM_SOURCE=demo \
  ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}" \
  "$bin" -run -portbase=$base <&- >"$home/out.txt" 2>&1 &
pid=$!
sleep "$secs"
kill -0 $pid 2>/dev/null || { wait $pid; fail "ended by itself with status $? while receiving"; }
# Closed input must read as end of input, not as one of the program's own descriptors.
in=$(readlink /proc/$pid/fd/0)
[ "$in" = /dev/null ] || { kill -KILL $pid; fail "standard input is $in"; }
# utime + stime in clock ticks
read -r -a st < <(sed 's/^.*) //' /proc/$pid/stat)
ticks=$(( st[11] + st[12] ))
hz=$(getconf CLK_TCK)
kill -TERM $pid
for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && { kill -KILL $pid; fail "still running 10 s after SIGTERM"; }
wait $pid; rc=$?
[ $rc -eq 0 ] || fail "exit status $rc after SIGTERM"
grep -aq '^\*' "$home/out.txt" || fail "no frame received"
[ -s "$home/varnock.ini" ] || fail "settings not saved in VARNOCK_HOME"
# A loop spinning on the closed input would burn a whole core; receiving needs far less.
limit=$(( secs * hz * ${VARNOCK_CPU_PERCENT:-70} / 100 ))
[ $ticks -le $limit ] || fail "CPU time $ticks ticks in $secs s (limit $limit): busy loop"
echo "ok: $(grep -ac '^\*' "$home/out.txt") frames, CPU $ticks ticks of $((secs * hz)), settings saved"
