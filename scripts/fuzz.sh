#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer; the fuzz preset, whose build is the sanitize
# one) into build-sanitize/, installing what is missing, and runs them:
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]      replay, then each target for SECONDS (default 20)
#   scripts/fuzz.sh --runs N [TARGET...]       replay, then each target for N executions
#   scripts/fuzz.sh --replay [TARGET...]       replay only
#   scripts/fuzz.sh --campaign [TARGET...]     a campaign per target, then a merge
#
# The replay runs every input of each target's corpus in tests/fuzz/corpus/
# once, in full: the corpus is the targets' regression suite. A timed run
# starts from that corpus and from what earlier runs found
# (build-sanitize/corpus/) and prints one line per target: executions, time,
# coverage. A campaign (see tests/fuzz/README.md) runs a target at the
# lowest priority until its coverage has not grown for the second half of
# the run, then merges what it found into the target's corpus.
#
# Fails when any input crashes, breaks an invariant, hangs or leaks; what a
# run found that did it is kept in build-sanitize/crashes/ and reproduces
# with: build-sanitize/tests/fuzz/TARGET FILE.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=fuzz
limit=(-max_total_time=20)
if [ "${1:-}" = --runs ]; then
    limit=(-runs="$2")
    shift 2
elif [ "${1:-}" = --replay ] || [ "${1:-}" = --campaign ]; then
    mode=${1#--}
    shift
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then
    limit=(-max_total_time="$1")
    shift
fi
build_dir=${BUILD_DIR:-build-sanitize}
# A campaign's bounds in seconds: it runs at least the first, at most the
# second, and stops sooner when the last new coverage came in its first half.
campaign_least=${CAMPAIGN_LEAST:-300}
campaign_most=${CAMPAIGN_MOST:-3600}

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
# -close_fd_mask=1: the tool's console output goes nowhere; libFuzzer
# reports on standard error. -timeout: a run this long is a hang.
common=(-timeout=10 -close_fd_mask=1)

# replay TARGET LOG: every input of the target's corpus, once each.
replay() {
    local inputs=("tests/fuzz/corpus/$1"/*)
    "$build_dir/tests/fuzz/$1" "${common[@]}" -artifact_prefix="$build_dir/crashes/$1-" "${inputs[@]}" >"$2" 2>&1
}

# fuzz TARGET MAX_LEN LOG: the timed run.
fuzz() {
    local corpus="$build_dir/corpus/$1"
    mkdir -p "$corpus"
    "$build_dir/tests/fuzz/$1" "${limit[@]}" -max_len="$2" "${common[@]}" -print_final_stats=1 \
        -artifact_prefix="$build_dir/crashes/$1-" "$corpus" "tests/fuzz/corpus/$1" >"$3" 2>&1
}

# stamp BEGUN: each line of standard input after the seconds since BEGUN.
stamp() {
    local line
    while IFS= read -r line; do echo "$((EPOCHSECONDS - $1)) $line"; done
}

# last_new LOG: the second of the stamped log in which cov: last grew.
last_new() {
    awk 'match($0, /cov: [0-9]+/) { cov = substr($0, RSTART + 5, RLENGTH - 5) + 0;
                                    if (cov > most) { most = cov; at = $1 } }
         END { print at + 0 }' "$1"
}

# campaign TARGET MAX_LEN LOG: runs the target until its coverage (libFuzzer's
# cov:) last grew in the first half of the run, then keeps the seeds, what
# the corpus held and what the run found, as far as each adds coverage.
# Prints the run's row of the table in tests/fuzz/README.md.
campaign() {
    local target=$1 max_len=$2 log=$3 found="$build_dir/campaign/$1" merged="$build_dir/campaign/$1.merged"
    local corpus="tests/fuzz/corpus/$1" begun=$EPOCHSECONDS fuzzer status=0 now
    rm -rf "$found" "$merged" && mkdir -p "$found" "$merged"
    nice -n 19 "$build_dir/tests/fuzz/$target" -max_len="$max_len" "${common[@]}" -print_final_stats=1 \
        -artifact_prefix="$build_dir/crashes/$target-" "$found" "$corpus" > >(stamp "$begun" >"$log") 2>&1 &
    fuzzer=$!
    while sleep 5 && kill -0 "$fuzzer" 2>/dev/null; do
        now=$((EPOCHSECONDS - begun))
        if [ "$now" -ge "$campaign_most" ] ||
            { [ "$now" -ge "$campaign_least" ] && [ "$now" -ge $((2 * $(last_new "$log"))) ]; }; then
            kill -INT "$fuzzer"
            break
        fi
    done
    wait "$fuzzer" || status=$?
    now=$((EPOCHSECONDS - begun))
    sleep 1  # the last lines through stamp
    # 72: libFuzzer stopped by the interrupt above.
    [ "$status" -eq 72 ] || return 1

    local runs figures files bytes
    runs=$(sed -n 's/^[0-9]* stat::number_of_executed_units: *//p' "$log")
    figures=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -n 1 | tr -dc '0-9 ' | awk '{ print $1 " | " $2 }')
    find "$corpus" -type f -regextype egrep ! -regex '.*/[0-9a-f]{40}' -exec cp {} "$merged" \;
    nice -n 19 "$build_dir/tests/fuzz/$target" -merge=1 -max_len="$max_len" "${common[@]}" \
        "$merged" "$corpus" "$found" >"${log%.log}.merge.log" 2>&1 || return 1
    find "$corpus" -type f -regextype egrep -regex '.*/[0-9a-f]{40}' -delete
    cp "$merged"/* "$corpus/"
    files=$(find "$corpus" -type f | wc -l)
    bytes=$(find "$corpus" -type f -printf '%s\n' | awk '{ s += $1 } END { print s }')
    echo "| $target | $runs | $figures | $(last_new "$log") s | $now s | $files | $bytes |"
}

if [ "$mode" != campaign ]; then
    began=${EPOCHREALTIME/./} inputs=0
    for entry in "${targets[@]}"; do
        target=${entry%%:*}
        log="$build_dir/fuzz-logs/$target.replay.log"
        if ! replay "$target" "$log"; then
            echo "$target: an input of its corpus FAILED (log: $log)"
            tail -n 60 "$log"
            exit 1
        fi
        inputs=$((inputs + $(grep -c '^Executed ' "$log")))
    done
    took=$(((${EPOCHREALTIME/./} - began) / 1000))
    echo "replay: $inputs corpus inputs in $((took / 1000)).$(printf %03d $((took % 1000))) s, no failure"
    [ "$mode" = fuzz ] || exit 0
elif [ ${#targets[@]} -gt 0 ]; then
    echo "| target | executions | cov | ft | last new cov | time | corpus files | corpus bytes |"
    echo "|---|---|---|---|---|---|---|---|"
fi

failed=()
for entry in "${targets[@]}"; do
    target=${entry%%:*}
    log="$build_dir/fuzz-logs/$target.log"
    start=$SECONDS
    if [ "$mode" = campaign ] && campaign "$target" "${entry##*:}" "$log"; then
        continue
    elif [ "$mode" = fuzz ] && fuzz "$target" "${entry##*:}" "$log"; then
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
