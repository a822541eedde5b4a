#!/usr/bin/env bash
# Installs what is missing, builds everything into build/ (or the directory
# of $PRESET, or $BUILD_DIR; see scripts/setup.sh), reusing an existing
# build, and runs every test: unit, posix, scenario on the simulated card,
# end to end over a pty (E2E=0 leaves these out). Extra CMake options may be
# given as arguments.
# Prints a few progress lines; the tests' full output is in the build
# directory's test.log, shown in part when a test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/preset.sh

scripts/setup.sh -DUPDATER_WERROR=ON "$@"

progress_log=$build_dir/test.log
: >"$progress_log"
source scripts/progress.sh

selection=()
[ "${E2E:-1}" = 0 ] && selection=(-LE e2e)
count=$(ctest --test-dir "$build_dir" -N "${selection[@]}" | sed -n 's/^Total Tests: //p')
echo "Running $count tests on $(nproc) cores (a minute or two; end-to-end runs take real time) ..."
start=$SECONDS
# The end-to-end runs mostly wait (the tool's pauses, the pty): they all run at
# once, but for those against a paced card (named ...PacedCard), whose subject
# is the line's time: they run after them, one at a time, so that a loaded
# machine does not hold back the card's reading of the pty.
if ctest --test-dir "$build_dir" -LE e2e -j"$(nproc)" --output-on-failure --timeout 300 >"$progress_log" 2>&1 &&
    { [ "${E2E:-1}" = 0 ] ||
        { ctest --test-dir "$build_dir" -L e2e -E PacedCard -j"${E2E_JOBS:-16}" --output-on-failure --timeout 300 \
            >>"$progress_log" 2>&1 &&
            ctest --test-dir "$build_dir" -L e2e -R PacedCard --output-on-failure --timeout 300 \
                >>"$progress_log" 2>&1; }; }; then
    elapsed=$((SECONDS - start))
    echo "All $count tests passed in $((elapsed / 60)) min $((elapsed % 60)) s (log: $progress_log)"
else
    sed -n '/The following tests FAILED/,$p' "$progress_log"
    show_log_end 60
    exit 1
fi
