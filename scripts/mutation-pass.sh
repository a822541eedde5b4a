#!/usr/bin/env bash
# Mutation pass: each deliberate break of tests/mutations.txt is made in a
# scratch copy of the tree, built incrementally, and the fast tests (unit,
# posix, scenario; the end-to-end runs a mutation names under "slow:") run
# against it. A mutation is killed when a test fails, survives when all
# pass. Prints one line per mutation and the figures; the details are in
# $MUTATION_DIR/results.txt and the logs beside it.
#
#   scripts/mutation-pass.sh            every mutation of the table
#   scripts/mutation-pass.sh --check    only checks that every "find" text is
#                                       there exactly once
#   ONLY="3 17" scripts/mutation-pass.sh   the mutations numbered 3 and 17
#   MATRIX=1 scripts/mutation-pass.sh   every fast test runs for every mutation,
#                                       and $MUTATION_DIR/matrix.txt lists the
#                                       tests that each mutation fails: which
#                                       tests catch what, and which nothing else
#
# The copy is of the working tree as it is (untracked files included, build
# directories left out), so the pass runs on what is checked out while the
# tree goes on changing. Run it with nice: it builds once per mutation.
set -euo pipefail
shopt -u patsub_replacement 2>/dev/null || true
cd "$(dirname "$0")/.."
root=$PWD
table=${TABLE:-$root/tests/mutations.txt}
work=${MUTATION_DIR:-/tmp/updater-mutation}
jobs=${JOBS:-2}
per_test_timeout=${TEST_TIMEOUT:-60}

# ---- the table ------------------------------------------------------------
files=() finds=() puts=() whys=() slows=()
read_table() {
    local file="" find="" put="" why="" slow="" have=0 line
    flush() {
        if [ $have -eq 1 ]; then
            files+=("$file") finds+=("$find") puts+=("$put") whys+=("$why") slows+=("$slow")
        fi
        file="" find="" put="" why="" slow="" have=0
    }
    while IFS= read -r line || [ -n "$line" ]; do
        case $line in
            '#'*) ;;
            '') flush ;;
            'file: '*) file=${line#file: }; have=1 ;;
            'find: '*) find=${line#find: } ;;
            'put: '*) put=${line#put: } ;;
            'put:') put="" ;;
            'why: '*) why=${line#why: } ;;
            'slow: '*) slow=${line#slow: } ;;
            'killed-by: '*) ;;
            *) echo "$table: cannot read: $line" >&2; exit 2 ;;
        esac
    done <"$table"
    flush
}
read_table

# The file's whole content, trailing line ends included.
content_of() { local text; text=$(cat "$1"; printf x); printf '%s' "${text%x}"; }

# 0: `find` is in the text exactly once; 1: not there; 2: more than once.
occurrences() {
    local text=$1 find=$2 rest
    rest=${text#*"$find"}
    [ "$rest" == "$text" ] && return 1
    [[ $rest == *"$find"* ]] && return 2
    return 0
}

check_table() {
    local base=$1 bad=0 i status
    for i in "${!files[@]}"; do
        if [ ! -f "$base/${files[$i]}" ]; then
            echo "$((i + 1)): ${files[$i]}: no such file"; bad=1; continue
        fi
        status=0
        occurrences "$(content_of "$base/${files[$i]}")" "${finds[$i]}" || status=$?
        case $status in
            1) echo "$((i + 1)): ${files[$i]}: text not found: ${finds[$i]}"; bad=1 ;;
            2) echo "$((i + 1)): ${files[$i]}: text found more than once: ${finds[$i]}"; bad=1 ;;
        esac
    done
    return $bad
}

if [ "${1:-}" == "--check" ]; then
    check_table "$root" && echo "${#files[@]} mutations, each found exactly once"
    exit
fi
check_table "$root"

# ---- the scratch copy and its build ---------------------------------------
mkdir -p "$work"
src=$work/src
build=$work/build
rm -rf "$src"
mkdir -p "$src"
# Extracted with the time of the copy (-m), not the files' own: a build left
# from an earlier pass holds objects newer than a file changed since, which
# a restored time would make look up to date.
git ls-files -z --cached --others --exclude-standard | grep -zv '^build' |
    tar --null -cf - -T - | tar -xmf - -C "$src"
results=$work/results.txt
: >"$results"

fast_tests=(ctest --test-dir "$build" -E '^e2e\.' -j"$jobs" --timeout "$per_test_timeout")
[ -n "${MATRIX:-}" ] || fast_tests+=(--stop-on-failure)
matrix=$work/matrix.txt
[ -z "${MATRIX:-}" ] || : >"$matrix"

# Optimised lightly and without debug information: the pass builds often.
echo "Building the unchanged tree in $build ..."
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="-O1" -DUPDATER_BENCH=OFF \
    >"$work/configure.log" 2>&1
cmake --build "$build" -j"$jobs" >"$work/build.log" 2>&1 || { tail -30 "$work/build.log"; exit 1; }
if [ -z "${SKIP_BASELINE:-}" ]; then
    echo "Running the fast tests on the unchanged tree ..."
    start=$SECONDS
    "${fast_tests[@]}" >"$work/baseline.log" 2>&1 || {
        echo "The fast tests fail without a mutation:"; sed -n '/tests FAILED/,$p' "$work/baseline.log"; exit 1; }
    echo "  passed in $((SECONDS - start)) s"
fi

# ---- one mutation at a time -----------------------------------------------
killed=0 survived=0 unbuilt=0 total=0
survivors=()
for i in "${!files[@]}"; do
    number=$((i + 1))
    if [ -n "${ONLY:-}" ] && [[ " $ONLY " != *" $number "* ]]; then continue; fi
    total=$((total + 1))
    ran[$i]=1
    path=$src/${files[$i]}
    original=$(content_of "$path"; printf x)
    original=${original%x}
    printf '%s' "${original/"${finds[$i]}"/"${puts[$i]}"}" >"$path"
    log=$work/mutation-$number.log
    start=$SECONDS
    verdict=""
    if ! cmake --build "$build" -j"$jobs" >"$log" 2>&1; then
        verdict="does not build"
        unbuilt=$((unbuilt + 1))
    elif ! "${fast_tests[@]}" >>"$log" 2>&1; then
        verdict="killed by $(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) .*/\1/p' "$log" | head -n 1)"
        killed=$((killed + 1))
    elif [ -n "${slows[$i]}" ] && ! ctest --test-dir "$build" -R "${slows[$i]}" -j"$jobs" \
            --timeout 300 --stop-on-failure >>"$log" 2>&1; then
        verdict="killed by $(sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) .*/\1/p' "$log" | head -n 1)"
        killed=$((killed + 1))
    else
        verdict="SURVIVED"
        survived=$((survived + 1))
        survivors+=("$number ${files[$i]}: ${whys[$i]}")
    fi
    if [ -n "${MATRIX:-}" ]; then
        failed=$(cut -d: -f2 "$build/Testing/Temporary/LastTestsFailed.log" 2>/dev/null | tr '\n' ' ' || true)
        [ "$verdict" == "SURVIVED" ] && failed=""
        echo "$number	$failed" >>"$matrix"
    fi
    printf '%s' "$original" >"$path"
    killers[$i]=${verdict#killed by }
    [ "${verdict#killed by }" == "$verdict" ] && killers[$i]=""
    line="$number. ${files[$i]}: ${whys[$i]} -- $verdict ($((SECONDS - start)) s)"
    echo "$line"
    echo "$line" >>"$results"
done
# The tree as it was, built again, so that the next pass starts from it.
cmake --build "$build" -j"$jobs" >/dev/null 2>&1 || true

# The table keeps, under each mutation the pass ran, the test that killed
# it (the first to fail): a map from each fault to a test that catches it.
# A mutation that survived or was not built loses its line; one the pass did
# not run keeps its own. Blocks are matched by file and find text, so the
# table may have changed while the pass ran.
record_killers() {
    local file="" find="" line key out=()
    local -A verdicts=()
    for i in "${!files[@]}"; do
        [ -n "${ran[$i]:-}" ] && verdicts["${files[$i]}"$'\t'"${finds[$i]}"]=${killers[$i]:-}
    done
    while IFS= read -r line || [ -n "$line" ]; do
        key="$file"$'\t'"$find"
        case $line in
            'killed-by: '*) [ -n "${verdicts[$key]+ran}" ] && continue ;;
            'file: '*) file=${line#file: } ;;
            'find: '*) find=${line#find: } ;;
        esac
        out+=("$line")
        if [[ $line == 'why: '* ]] && [ -n "${verdicts[$key]:-}" ]; then
            out+=("killed-by: ${verdicts[$key]}")
        fi
    done <"$table"
    printf '%s\n' "${out[@]}" >"$table"
}
record_killers

{
    echo
    echo "Killed $killed of $total mutations; $survived survived; $unbuilt did not build."
    for survivor in "${survivors[@]}"; do echo "  survived: $survivor"; done
} | tee -a "$results"
