#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer; the fuzz preset, whose build is the sanitize
# one) into build-sanitize/, installing what is missing, and runs each target
# in turn from its seed inputs in tests/fuzz/corpus/ and what earlier runs
# found (build-sanitize/corpus/):
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]      each target for SECONDS (default 20)
#   scripts/fuzz.sh --runs N [TARGET...]       each target for N executions
#
# Prints one line per target: executions, time, coverage. Fails when any
# target finds a crash, a broken invariant, a hang or a leak; the input
# that did it is kept in build-sanitize/crashes/ and reproduces with:
# build-sanitize/tests/fuzz/TARGET FILE. A long campaign runs best one target
# at a time beside other work: nice -n 19 scripts/fuzz.sh --runs 10000000 TARGET
set -euo pipefail
cd "$(dirname "$0")/.."

limit=(-max_total_time=20)
if [ "${1:-}" = "--runs" ]; then
    limit=(-runs="$2")
    shift 2
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then
    limit=(-max_total_time="$1")
    shift
fi
build_dir=${BUILD_DIR:-build-sanitize}

scripts/install-packages.sh cmake make clang libclang-rt-14-dev libgtest-dev

cmake --preset fuzz -B "$build_dir" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target fuzz_targets

# Each target with the longest input worth trying: a few replies for the
# tool's readers, a few packets for the coding, a whole session for the card,
# a gamma table of a thousand short lines, a script with a card's answers,
# a firmware file just past its first 1024 data bytes, a short XSVF file.
all=(fuzz_text_reply:512 fuzz_isp_reply:512 fuzz_micro_reply:512 fuzz_isp_coding:256
     fuzz_card_input:4096 fuzz_gamma_table:8192 fuzz_fpga_requests:512 fuzz_remote_script:1024
     fuzz_srecord:8192 fuzz_xsvf_player:2048)
targets=()
for entry in "${all[@]}"; do
    if [ $# -eq 0 ] || [[ " $* " == *" ${entry%%:*} "* ]]; then targets+=("$entry"); fi
done
[ ${#targets[@]} -gt 0 ] || { echo "no such fuzz target: $*" >&2; exit 2; }

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
    start=$SECONDS
    if "$build_dir/tests/fuzz/$target" "${limit[@]}" -max_len="$max_len" \
        -timeout=10 -close_fd_mask=1 -print_final_stats=1 \
        -artifact_prefix="$build_dir/crashes/$target-" \
        "$corpus" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        coverage=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -n 1 || true)
        echo "$target: ${runs:-?} runs in $((SECONDS - start)) s, $coverage, no failure"
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
