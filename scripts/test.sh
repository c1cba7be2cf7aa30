#!/usr/bin/env bash
# Builds zelvo and runs the whole test suite twice: a plain build, then one
# with AddressSanitizer and UndefinedBehaviorSanitizer; between the two, each
# fuzz target for a short while (FUZZ_SECONDS, 20 by default). Installs what is missing.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/install-deps.sh" --with-tests
export QT_QPA_PLATFORM=offscreen   # unit and control tests; end-to-end tests start their own X server
unset DISPLAY WAYLAND_DISPLAY

status=0
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build"
# A failure here still lets the sanitizer run show its findings; the script fails at the end.
ctest --test-dir "$root/build" --output-on-failure || status=1

# Long enough for a regression on the seeds to show; scripts/fuzz.sh runs longer.
bash "$root/scripts/fuzz.sh" "${FUZZ_SECONDS:-20}" || status=1

cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZELVO_SANITIZE=ON -DZELVO_BENCH=OFF >/dev/null
cmake --build "$root/build-asan"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir "$root/build-asan" --output-on-failure || status=1

exit $status
