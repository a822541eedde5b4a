#!/usr/bin/env bash
# Cross-builds updater.exe (native Win32, static runtime) into build-windows/
# (the mingw preset of CMakePresets.json).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh cmake make g++-mingw-w64-x86-64 nlohmann-json3-dev
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j"$(nproc)"
ls -l build-windows/updater.exe
