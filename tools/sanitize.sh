#!/usr/bin/env bash
# Builds Rigvox with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan/ (prompts included) and runs every test there: the unit tests,
# then the end-to-end tests, each on a virtual X display of its own and
# several at a time, as tools/test.sh does.
# Any memory error, undefined behaviour or leak in our code fails the run;
# leaks inside third-party libraries (SDL, fontconfig, X) are suppressed by
# tools/lsan.supp. Extra arguments go to both ctest runs (e.g. -R Config).
# RIGVOX_ASAN_DIR chooses the build folder (default: build-asan/ in the source);
# RIGVOX_TEST_JOBS how many tests run at once (default: three per core).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${RIGVOX_ASAN_DIR:-$root/build-asan}"
cores="$(nproc 2>/dev/null || echo 2)"
jobs="${RIGVOX_TEST_JOBS:-$((cores * 3))}"

# halt_on_error/abort: the first report ends the process with an error, so
# a test can never pass over it. Reports go to stderr, which ctest shows.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:detect_invalid_pointer_pairs=0:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
export LSAN_OPTIONS="suppressions=$root/tools/lsan.supp:print_suppressions=0:${LSAN_OPTIONS:-}"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRIGVOX_SANITIZE=ON
cmake --build "$build" -j"$cores"

# SDL loads its X11 and audio libraries with dlopen and closes them at quit,
# before LeakSanitizer reports: their allocations would show as "<unknown
# module>", which no suppression can name. A dlclose that keeps every library
# loaded lets the report name them (and tools/lsan.supp suppress them). The
# preload is harmless for the other programs the tests start (python, Xvfb);
# ASan is told not to insist on coming first in the library list.
keep="$build/keep-libraries-loaded.so"
printf '%s\n' '/* Keeps every shared library loaded until the process ends. */' \
  'int dlclose(void *handle) { (void)handle; return 0; }' >"$build/keep-libraries-loaded.c"
"${CC:-cc}" -shared -fPIC -O2 -o "$keep" "$build/keep-libraries-loaded.c"
export LD_PRELOAD="$keep${LD_PRELOAD:+:$LD_PRELOAD}"
export ASAN_OPTIONS="verify_asan_link_order=0:$ASAN_OPTIONS"

status=0
echo "=== Unit tests (address and undefined-behaviour sanitizers) ==="
ctest --test-dir "$build" --output-on-failure -LE e2e -j"$jobs" "$@" || status=1
if compgen -G "$root/tests/e2e/test_*.py" >/dev/null; then
  echo "=== End-to-end tests (address and undefined-behaviour sanitizers) ==="
  # Some end-to-end tests hold the program's resident memory flat under a
  # flood or a soak. ASan's quarantine of freed blocks and its lazily
  # touched fake stacks (stack-use-after-return) grow it by design, so these
  # runs do without both: freed blocks stay poisoned until they are reused,
  # and leaks, overflows and undefined behaviour are caught as before. The
  # unit tests keep the full checks.
  ASAN_OPTIONS="$ASAN_OPTIONS:quarantine_size_mb=0:thread_local_quarantine_size_kb=0:detect_stack_use_after_return=0" \
    ctest --test-dir "$build" --output-on-failure -L e2e -j"$jobs" "$@" || status=1
fi
exit $status
