#!/usr/bin/env bash
# Installs what building and testing need, if it is missing, then configures
# and builds into build/ (or $BUILD_DIR): everything, or the targets named in
# $TARGETS. Extra CMake options may be given as arguments. An existing build
# is reused: only what changed is built again. Prints one line per step; the
# full output is in $BUILD_DIR/setup.log.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${BUILD_DIR:-build}
mkdir -p "$build_dir"
progress_log=$build_dir/setup.log
: >"$progress_log"
source scripts/progress.sh

target_args=()
for target in ${TARGETS:-}; do target_args+=(--target "$target"); done

step "Packages (cmake, g++, make, GoogleTest)" scripts/install-packages.sh cmake g++ make libgtest-dev
step "Configuring $build_dir/" cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
step "Building ${TARGETS:-everything} in $build_dir/" cmake --build "$build_dir" -j"$(nproc)" "${target_args[@]}"
