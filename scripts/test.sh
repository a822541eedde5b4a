#!/usr/bin/env bash
# Builds everything from nothing (installing what is missing) and runs every
# test: unit, scenario on the simulated card, end to end over a pty.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh -DUPDATER_WERROR=ON
ctest --test-dir "${BUILD_DIR:-build}" -j"$(nproc)" --output-on-failure --timeout 300
