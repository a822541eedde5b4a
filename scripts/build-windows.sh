#!/usr/bin/env bash
# Cross-builds updater.exe (native Win32, static runtime) into build-windows/.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! dpkg -s g++-mingw-w64-x86-64 >/dev/null 2>&1; then
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends g++-mingw-w64-x86-64
fi
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DUPDATER_WERROR=ON >/dev/null
cmake --build build-windows -j"$(nproc)"
ls -l build-windows/updater.exe
