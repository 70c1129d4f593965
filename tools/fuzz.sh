#!/usr/bin/env bash
# Fuzzes the four readers (recordings, settings and port map, motor catalogue, serial frames) with
# clang's libFuzzer under AddressSanitizer and UndefinedBehaviorSanitizer, and runs the core's
# tests built with the same sanitizers.
#
#   tools/fuzz.sh            # every harness for 10 minutes
#   tools/fuzz.sh --quick    # replays the corpus, then every harness for 30 seconds (CI)
#   tools/fuzz.sh --seconds N
#
# A finding stops the script with a non-zero exit; its reproducer is in build-fuzz/findings/.
# Add it to tests/fuzz/corpus/<harness>/ once the fault is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=600
while [ $# -gt 0 ]; do
    case "$1" in
        --quick) seconds=30 ;;
        --seconds) seconds="$2"; shift ;;
        *) echo "usage: tools/fuzz.sh [--quick | --seconds N]" >&2; exit 2 ;;
    esac
    shift
done

command -v clang++ >/dev/null || { echo "tools/fuzz.sh needs clang (tools/install-deps.sh installs it)" >&2; exit 1; }

build=build-fuzz
sanitizers="-fsanitize=address,undefined -fno-sanitize=vptr,function -fno-sanitize-recover=all"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_CXX_FLAGS="$sanitizers -fsanitize=fuzzer-no-link -fno-omit-frame-pointer" \
      -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" \
      -DZR5_FUZZ=ON -DZR5_BUILD_TESTS=ON -DZR5_BUILD_BENCH=OFF >/dev/null

harnesses=(recording settings catalogue frames)
# The core's tests that need no window: they run under the same sanitizers.
core_tests=(model_tests recording_tests settings_tests settingsform_tests analysis_tests
            analysis_passes_tests link_core_tests assessment_tests tool_tests)
cmake --build "$build" -j"$(nproc)" --target "${harnesses[@]/#/fuzz_}" "${core_tests[@]}" zr5-tool

export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
echo "== core tests under ASan + UBSan"
status=0
for t in "${core_tests[@]}"; do
    exe=$(find "$build/tests" -type f -name "$t" -perm -u+x | head -1)
    if ! QT_QPA_PLATFORM=offscreen "$exe" --gtest_brief=1 >"$build/$t.log" 2>&1; then
        echo "FAILED: $t (see $build/$t.log)"; tail -30 "$build/$t.log"; status=1
    else
        echo "ok: $t ($(grep -o 'PASSED  \] [0-9]* test' "$build/$t.log" | awk '{print $3}') passed)"
    fi
done
[ $status -eq 0 ] || exit $status

mkdir -p "$build/findings"
for h in "${harnesses[@]}"; do
    corpus=tests/fuzz/corpus/$h
    work="$build/corpus/$h"
    mkdir -p "$work"
    echo "== fuzz_$h: corpus replay, then ${seconds} s"
    "$build/tests/fuzz/fuzz_$h" -runs=0 "$corpus" 2>"$build/fuzz_$h.replay.log" || {
        tail -40 "$build/fuzz_$h.replay.log"; exit 1; }
    if ! "$build/tests/fuzz/fuzz_$h" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$build/findings/$h-" "$work" "$corpus" \
            2>"$build/fuzz_$h.log"; then
        tail -60 "$build/fuzz_$h.log"
        echo "fuzz_$h found a fault; reproducer: $(ls -t "$build/findings/$h-"* | head -1)" >&2
        exit 1
    fi
    runs=$(grep -m1 'stat::number_of_executed_units' "$build/fuzz_$h.log" | awk '{print $2}')
    echo "fuzz_$h: ${runs:-?} executions, no finding"
done
