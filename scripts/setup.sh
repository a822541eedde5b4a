#!/usr/bin/env bash
# Installs what building and testing need, if it is missing, then configures
# and builds into build/ (or $BUILD_DIR): everything, or the targets named in
# $TARGETS. Extra CMake options may be given as arguments.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake g++ make libgtest-dev)
missing=()
for package in "${packages[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

build_dir=${BUILD_DIR:-build}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
target_args=()
for target in ${TARGETS:-}; do target_args+=(--target "$target"); done
cmake --build "$build_dir" -j"$(nproc)" "${target_args[@]}"
