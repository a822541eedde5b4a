#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer; the fuzz preset, whose build is the sanitize
# one) into build-sanitize/, installing what is missing,
# and runs each for SECONDS seconds (default 20) from its seed inputs in
# tests/fuzz/corpus/. Fails when any target finds a crash, a broken
# invariant, a hang or a leak; the input that did it is kept in
# build-sanitize/crashes/ and reproduces with: build-sanitize/tests/fuzz/TARGET FILE
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
build_dir=${BUILD_DIR:-build-sanitize}

scripts/install-packages.sh cmake make clang libclang-rt-14-dev libgtest-dev

cmake --preset fuzz -B "$build_dir" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target fuzz_targets

# Each target with the longest input worth trying: a few replies for the
# tool's readers, a few packets for the coding, a whole session for the card,
# a gamma table of a thousand short lines, a script with a card's answers.
targets=(fuzz_text_reply:512 fuzz_isp_reply:512 fuzz_micro_reply:512 fuzz_isp_coding:256
         fuzz_card_input:4096 fuzz_gamma_table:8192 fuzz_fpga_requests:512 fuzz_remote_script:1024)

mkdir -p "$build_dir/crashes" "$build_dir/fuzz-logs"
failed=()
for entry in "${targets[@]}"; do
    target=${entry%%:*}
    max_len=${entry##*:}
    corpus="$build_dir/corpus/$target"
    log="$build_dir/fuzz-logs/$target.log"
    mkdir -p "$corpus"
    # -close_fd_mask=1: the tool's console output goes nowhere; libFuzzer
    # reports on standard error. -timeout: a run this long is a hang.
    if "$build_dir/tests/fuzz/$target" -max_total_time="$seconds" -max_len="$max_len" \
        -timeout=10 -close_fd_mask=1 -print_final_stats=1 \
        -artifact_prefix="$build_dir/crashes/$target-" \
        "$corpus" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        coverage=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 || true)
        echo "$target: ${runs:-?} runs in ${seconds} s, $coverage, no failure"
    else
        echo "$target: FAILED (log: $log)"
        tail -n 60 "$log"
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz targets failed: ${failed[*]}; inputs in $build_dir/crashes/"
    exit 1
fi
