#!/usr/bin/env bash
# Cross-builds updater.exe (native Win32, static runtime) into build-windows/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh cmake make g++-mingw-w64-x86-64
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DUPDATER_WERROR=ON >/dev/null
cmake --build build-windows -j"$(nproc)"
ls -l build-windows/updater.exe
