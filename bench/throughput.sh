#!/usr/bin/env bash
# Replay throughput of this tree's release build beside its plain reference scan and a previous release.
#
#   bench/throughput.sh [BASELINE_REF] [SECONDS] [RUNS]
#     BASELINE_REF  commit or tag to compare with (default: the newest tag reachable from HEAD)
#     SECONDS       length of the synthesized busy sky (default 120)
#     RUNS          timed runs of each build, taken in turn (default 3)
#
# The baseline's varnock-replay is built in a throwaway worktree under build/; this tree's tools come
# from build/release (configured as `make release` does when missing, brought up to date otherwise).
# All three must write byte-identical frames and the same summary counts, or the script fails before
# timing anything. The machine is small and shared: read the medians, not single runs. The CPU-time
# column includes each process's start-up, so it only means something on a long sky (the default).
set -euo pipefail

die() { echo "throughput.sh: $*" >&2; exit 1; }
usage() { echo "usage: $0 [BASELINE_REF] [SECONDS (1-86400, default 120)] [RUNS (1-100, default 3)]" >&2; exit 2; }

case "${1:-}" in -h|--help) usage ;; esac
[ $# -le 3 ] || usage
seconds="${2:-120}"
runs="${3:-3}"
if ! [[ "$seconds" =~ ^[1-9][0-9]{0,4}$ ]] || [ "$seconds" -gt 86400 ]; then
  die "SECONDS must be a whole number in 1..86400, not '$seconds'"
fi
if ! [[ "$runs" =~ ^[1-9][0-9]{0,2}$ ]] || [ "$runs" -gt 100 ]; then
  die "RUNS must be a whole number in 1..100, not '$runs'"
fi

here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
git rev-parse --git-dir >/dev/null 2>&1 || die "$here is not a git checkout: the baseline is built from git"

if [ -n "${1:-}" ]; then
  ref="$1"
else
  ref="$(git describe --tags --abbrev=0 HEAD 2>/dev/null)" ||
    die "no tag is reachable from HEAD: name the baseline, e.g. $0 <commit>"
fi
base_commit="$(git rev-parse --verify --quiet "$ref^{commit}")" || die "'$ref' is not a commit or tag of this repository"

load_start="$(cut -d' ' -f1-3 /proc/loadavg)"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

mkdir -p build
tmp="$(mktemp -d "$here/build/throughput.XXXXXX")"
base_src="$tmp/baseline"
cleanup() {
  if [ -d "$base_src" ] && ! git worktree remove --force "$base_src" >/dev/null 2>&1; then
    echo "throughput.sh: could not remove the worktree $base_src; git worktree prune drops its record" >&2
  fi
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

sky_buffers=$(( (seconds * 1000 + 511) / 512 ))  # whole buffers of 2,048,000 bytes
sky_kb=$(( sky_buffers * 2000 ))
free_kb="$(df -Pk "$tmp" | awk 'NR == 2 { print $4 }')"
[ "$free_kb" -gt $(( sky_kb + 1048576 )) ] ||
  die "$seconds s of sky need $(( sky_kb / 1024 )) MB and a spare GB under build/; only $(( free_kb / 1024 )) MB are free"

# Builds are not measured: they yield to whatever else runs on the box.
current="$here/build/release"
if [ ! -f "$current/CMakeCache.txt" ]; then
  echo "== configuring $current" >&2
  nice -n 19 cmake -S . -B "$current" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNOCK_TESTS=OFF "${launcher[@]}" >/dev/null ||
    die "configuring $current failed"
fi
grep -q '^CMAKE_BUILD_TYPE:[A-Z]*=Release$' "$current/CMakeCache.txt" ||
  die "$current is not a Release build: remove it or run make release"
echo "== building varnock-replay and varnock-synth in $current" >&2
nice -n 19 cmake --build "$current" -j 2 --target varnock-replay varnock-synth >/dev/null ||
  die "building the current tools failed (run: cmake --build $current --target varnock-replay)"

echo "== building varnock-replay of $ref (${base_commit:0:7}) in a throwaway worktree" >&2
git worktree add --detach "$base_src" "$base_commit" >/dev/null 2>&1 || die "git worktree add of $ref failed"
nice -n 19 cmake -S "$base_src" -B "$base_src/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVARNOCK_TESTS=OFF \
  "${launcher[@]}" >"$tmp/baseline-cmake.log" 2>&1 || { cat "$tmp/baseline-cmake.log" >&2; die "configuring $ref failed"; }
nice -n 19 cmake --build "$base_src/build" -j 2 --target varnock-replay >"$tmp/baseline-build.log" 2>&1 ||
  { tail -n 30 "$tmp/baseline-build.log" >&2; die "building varnock-replay of $ref failed"; }
baseline_replay="$base_src/build/tools/varnock-replay"
[ -x "$baseline_replay" ] || die "$ref has no tools/varnock-replay"

sky="$tmp/busy.iq"
echo "== synthesizing $seconds s of the busy sky" >&2
"$current/tools/varnock-synth" --scenario busy --seconds "$seconds" -o "$sky" 2>/dev/null ||
  die "varnock-synth failed to write $sky"

current_label="current ($(git rev-parse --short=7 HEAD)$(git diff --quiet HEAD -- || echo ' + changes'))"
base_label="$ref (${base_commit:0:7})"
[[ "$base_commit" == "$ref"* ]] && base_label="${base_commit:0:7}"
labels=("$current_label" "$current_label --reference-scan" "$base_label")
commands=("$current/tools/varnock-replay" "$current/tools/varnock-replay --reference-scan" "$baseline_replay")

# The summary without its timing line: buffers, frames per downlink format, addresses, aircraft.
counts() { grep -v '^wall time:' "$1"; }

# Identity first (also warms the page cache): frames on stdout and the summary counts must agree.
echo "== checking that the three write the same frames" >&2
sums=()
for i in 0 1 2; do
  # shellcheck disable=SC2086  # the command carries its option
  sums[i]="$(${commands[i]} "$sky" 2>"$tmp/summary.$i" | md5sum | cut -d' ' -f1)" || die "${labels[i]} failed"
done
same=1
for i in 1 2; do
  if [ "${sums[i]}" != "${sums[0]}" ] || ! cmp -s <(counts "$tmp/summary.0") <(counts "$tmp/summary.$i"); then
    same=0
  fi
done
if [ "$same" -ne 1 ]; then
  echo "The builds do not write the same output on the same sky:" >&2
  for i in 0 1 2; do
    echo "-- ${labels[i]}: stdout md5 ${sums[i]}" >&2
    counts "$tmp/summary.$i" >&2
  done
  exit 1
fi

buffers="$(sed -n 's/^buffers processed: //p' "$tmp/summary.0")"
frames="$(sed -n 's/^frames accepted: \([0-9]*\).*/\1/p' "$tmp/summary.0")"
msamples="$(awk -v b="$buffers" 'BEGIN { print b * 1.024 }')"  # 1,024,000 I/Q pairs a buffer

# Wall time is what the tick needs; CPU time (user + system) is the steadier figure when others run.
echo "== $runs timed runs of each, in turn" >&2
declare -a results=("" "" "") cpu_results=("" "" "")
TIMEFORMAT='%3U %3S'
for ((r = 1; r <= runs; ++r)); do
  for i in 0 1 2; do
    # shellcheck disable=SC2086
    { time ${commands[i]} --quiet "$sky" 2>"$tmp/run.err"; } 2>"$tmp/run.time" || die "${labels[i]} --quiet failed"
    cmp -s <(counts "$tmp/summary.0") <(counts "$tmp/run.err") || die "${labels[i]} --quiet gave other counts than without --quiet"
    msps="$(sed -n 's/^wall time: .* s, \([0-9.]*\) Msamples\/s$/\1/p' "$tmp/run.err")"
    [ -n "$msps" ] || die "no 'Msamples/s' in the summary of ${labels[i]}"
    results[i]="${results[i]:+${results[i]} }$msps"
    cpu="$(awk -v m="$msamples" '{ c = $1 + $2; printf "%.1f", (c > 0) ? m / c : 0 }' "$tmp/run.time")"
    cpu_results[i]="${cpu_results[i]:+${cpu_results[i]} }$cpu"
  done
done
load_end="$(cut -d' ' -f1-3 /proc/loadavg)"

median() { tr ' ' '\n' <<<"$1" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
medians=() cpu_medians=()
for i in 0 1 2; do
  medians[i]="$(median "${results[i]}")"
  cpu_medians[i]="$(median "${cpu_results[i]}")"
done
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0) ? a / b : 0 }'; }

echo "varnock-replay --quiet over $seconds s of the busy sky ($buffers buffers, $frames frames; output identical, md5 ${sums[0]})"
echo
echo "| Build | Median Msamples/s | Runs | Ratio to current | Median Msamples per CPU second | Ratio to current |"
echo "|---|---|---|---|---|---|"
for i in 0 1 2; do
  printf '| %s | %.1f | %s | %s | %.1f | %s |\n' "${labels[i]}" "${medians[i]}" "${results[i]// /, }" \
    "$(ratio "${medians[i]}" "${medians[0]}")" "${cpu_medians[i]}" "$(ratio "${cpu_medians[i]}" "${cpu_medians[0]}")"
done
echo
echo "Load average (1, 5, 15 min): $load_start at the start, $load_end at the end ($(nproc) cores)."
