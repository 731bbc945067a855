#!/usr/bin/env bash
# Builds the libFuzzer targets of tools/fuzz with clang in build-fuzz/ and
# runs each on its seed corpus (tools/fuzz/corpus/<target>/).
#
#   tools/fuzz.sh                 20 seconds per target (the CI run)
#   tools/fuzz.sh 600             600 seconds per target
#   tools/fuzz.sh runs=10000000   ten million executions per target
#   tools/fuzz.sh 60 fuzz_config  only the targets named
#
# Each target stops at its first crash, sanitizer report, broken invariant,
# timeout or memory overrun; the input that did it is kept in
# build-fuzz/artifacts/ and the run fails. Inputs found to reach new code are
# kept in build-fuzz/corpus/<target>/ and reused by the next run.
# RIGVOX_FUZZ_DIR chooses the build folder (default: build-fuzz/ in the source).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${RIGVOX_FUZZ_DIR:-$root/build-fuzz}"
jobs="$(nproc 2>/dev/null || echo 2)"
all_targets=(fuzz_radio_replies fuzz_passthrough fuzz_memory_file fuzz_config fuzz_net_port)

limit="${1:-20}"
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all_targets[@]}")
case "$limit" in
  runs=*) budget=(-runs="${limit#runs=}") ;;
  *[!0-9]*|"") echo "usage: tools/fuzz.sh [seconds|runs=N] [target...]" >&2; exit 2 ;;
  *) budget=(-max_total_time="$limit") ;;
esac

for cc in clang++ clang++-19 clang++-16 clang++-15 clang++-14; do
  if command -v "$cc" >/dev/null; then cxx="$cc"; break; fi
done
if [ -z "${cxx:-}" ]; then
  echo "tools/fuzz.sh needs clang with libFuzzer: apt-get install clang libclang-rt-dev" >&2
  exit 2
fi

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DRIGVOX_FUZZ=ON -DRIGVOX_TESTS=OFF -DRIGVOX_PROMPTS=OFF >/dev/null
cmake --build "$build" -j"$jobs" --target "${targets[@]}"

# A small quarantine keeps the resident size flat, so -rss_limit_mb catches
# real growth rather than freed memory held back for use-after-free checks.
export ASAN_OPTIONS="detect_leaks=1:quarantine_size_mb=32:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
mkdir -p "$build/artifacts"
status=0
for target in "${targets[@]}"; do
  seeds="$root/tools/fuzz/corpus/$target"
  work="$build/corpus/$target"
  mkdir -p "$work"
  dict=()
  [ -f "$root/tools/fuzz/$target.dict" ] && dict=(-dict="$root/tools/fuzz/$target.dict")
  echo "=== $target (${budget[*]}) ==="
  # The first corpus folder receives new inputs; the seeds are only read.
  if "$build/fuzz/$target" "$work" "$seeds" "${budget[@]}" "${dict[@]}" \
      -rss_limit_mb=512 -malloc_limit_mb=256 -timeout=10 -max_len=8192 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
      >"$build/$target.log" 2>&1; then
    grep -E "^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)" "$build/$target.log" || true
    tail -n 1 "$build/$target.log" | grep -E "^(Done|INFO)" || true
  else
    status=1
    echo "$target FAILED: last lines of $build/$target.log:"
    tail -n 60 "$build/$target.log"
  fi
done
[ $status -eq 0 ] && echo "fuzz: all targets passed"
exit $status
