#!/usr/bin/env bash
# Builds the fuzz targets with clang (ASan + UBSan + libFuzzer) and runs one or all for a bounded time.
# Usage: scripts/fuzz.sh [target|all] [seconds per target]   e.g. scripts/fuzz.sh fuzz_tick 60
# New inputs go to build/fuzz/corpus/<target>; a failing input to build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

which_target=${1:-all}
seconds=${2:-60}
build=build/fuzz
bash scripts/install-deps.sh --fuzz
cc=$(command -v clang-14 || command -v clang || true)
cxx=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$cc" ] || [ -z "$cxx" ]; then
  echo "fuzz: clang is missing; run scripts/install-deps.sh --fuzz" >&2
  exit 1
fi

if [ ! -f "$build/build.ninja" ]; then
  CC=$cc CXX=$cxx cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g" -DVARNOCK_FUZZ=ON -DVARNOCK_TESTS=OFF -DVARNOCK_WERROR=ON >/dev/null
fi

targets=()
for f in fuzz/fuzz_*.cpp; do
  t=$(basename "$f" .cpp)
  if [ "$which_target" = all ] || [ "$which_target" = "$t" ]; then targets+=("$t"); fi
done
if [ ${#targets[@]} -eq 0 ]; then
  echo "fuzz: no target named $which_target" >&2
  exit 1
fi
cmake --build "$build" -j "${JOBS:-2}" --target "${targets[@]}"

mkdir -p "$build/artifacts"
failed=0
for t in "${targets[@]}"; do
  mkdir -p "$build/corpus/$t"
  args=(-max_total_time="$seconds" -timeout=20 -print_final_stats=1 -artifact_prefix="$build/artifacts/$t-")
  [ -f "fuzz/$t.dict" ] && args+=(-dict="fuzz/$t.dict")
  seeds=()
  [ -d "fuzz/corpus/$t" ] && seeds+=("fuzz/corpus/$t")
  log="$build/$t.log"
  echo "== $t: ${seconds}s"
  if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
      "$build/fuzz/$t" "${args[@]}" "$build/corpus/$t" "${seeds[@]}" >"$log" 2>&1; then
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    echo "   clean: ${execs:-?} runs, ${rate:-?}/s"
  else
    echo "   FAILED: see $log and $build/artifacts/" >&2
    grep -m3 -E "invariant broken|ERROR: AddressSanitizer|runtime error|deadly signal" "$log" >&2 || true
    failed=1
  fi
done
exit $failed
