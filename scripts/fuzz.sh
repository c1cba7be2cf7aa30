#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (in build-fuzz) and runs each for
# SECONDS (default 60), JOBS at a time (default 1). Inputs found on the way go
# to build-fuzz/corpus/TARGET, beside the checked-in seeds in tests/fuzz/corpus;
# a crash, hang or leak is saved under build-fuzz/artifacts and fails the run.
# FUZZ_BUILD names another build folder (for a long run beside short ones).
#   scripts/fuzz.sh [SECONDS] [TARGET...]     e.g. scripts/fuzz.sh 600 disc_image
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
shift || true
build=${FUZZ_BUILD:-$root/build-fuzz}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(settings_text registry_file drive_map drive_paths disc_image)

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVO_FUZZ=ON >/dev/null
cmake --build "$build" >"$build/build.log" 2>&1 || { cat "$build/build.log" >&2; exit 1; }

run() {
    local target=$1 log=$build/logs/$1.log
    mkdir -p "$build/corpus/$target" "$build/artifacts" "$build/logs"
    # A disc image's input is mostly its sectors: room for a few dozen.
    local extra=()
    [ "$target" = disc_image ] && extra=(-max_len=65536)
    if "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" "${extra[@]}" \
        "$build/corpus/$target" "$root/tests/fuzz/corpus/$target" >"$log" 2>&1; then
        echo "fuzz $target: $(grep -m1 -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$') executions in ${seconds}s, nothing found"
    else
        echo "fuzz $target: FAILED, see $log"
        grep -E '^==[0-9]+==ERROR|SUMMARY|Test unit written' "$log" | head -5
        return 1
    fi
}

# libFuzzer reports leaks; the ones the suite may ignore are listed there, with the reason.
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
status=0
jobs=${JOBS:-1}
pids=()
for target in "${targets[@]}"; do
    run "$target" &
    pids+=($!)
    if [ ${#pids[@]} -ge "$jobs" ]; then
        wait "${pids[0]}" || status=1
        pids=("${pids[@]:1}")
    fi
done
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
exit $status
