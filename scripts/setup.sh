#!/usr/bin/env bash
# Installs what building and testing need, if it is missing, then configures
# and builds into build/ (or $BUILD_DIR): everything, or the targets named in
# $TARGETS. Extra CMake options may be given as arguments.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh cmake g++ make libgtest-dev

build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
target_args=()
for target in ${TARGETS:-}; do target_args+=(--target "$target"); done
cmake --build "$build_dir" -j"$(nproc)" "${target_args[@]}"
