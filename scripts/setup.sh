#!/usr/bin/env bash
# Installs what building and testing need, if it is missing, then configures
# and builds one configuration of CMakePresets.json ($PRESET: default,
# sanitize, fuzz or mingw; default: default) into its directory (build/,
# build-sanitize/, build-windows/; $BUILD_DIR instead, if set): everything,
# or the targets named in $TARGETS. Extra CMake options may be given as
# arguments. An existing build is reused: only what changed is built again.
# Prints one line per step; the full output is in the build directory's
# setup.log.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/preset.sh

mkdir -p "$build_dir"
progress_log=$build_dir/setup.log
: >"$progress_log"
source scripts/progress.sh

target_args=()
for target in ${TARGETS:-}; do target_args+=(--target "$target"); done

step "Packages (${preset_packages[*]})" scripts/install-packages.sh "${preset_packages[@]}"
step "Configuring $build_dir/ ($preset)" cmake --preset "$preset" -B "$build_dir" "$@"
step "Building ${TARGETS:-everything} in $build_dir/" cmake --build "$build_dir" -j"$(nproc)" "${target_args[@]}"
