#!/usr/bin/env bash
# Builds the two packages a technician installs, into build-packages/:
#   updater-VERSION-windows.zip  updater.exe (MinGW-w64, its runtime linked
#                                in), a README for Windows users and the
#                                licences of that runtime
#   updater_VERSION_amd64.deb    updater and cardsim, their man pages, the
#                                README, the package's copyright and changelog
# build/ and build-windows/ are reused when they are there (CI has built
# them); without build/ the programs alone are built, without the tests, in
# build-package/. With --check, the packages are checked afterwards
# (scripts/check-packages.sh). Prints one line per step; the full output is
# in build-packages/package.log.
set -euo pipefail
cd "$(dirname "$0")/.."

check=0
case "${1:-}" in
    --check) check=1 ;;
    "") ;;
    *) echo "usage: scripts/package.sh [--check]" >&2; exit 2 ;;
esac

out=build-packages
rm -rf "$out"
mkdir -p "$out"
progress_log=$out/package.log
source scripts/progress.sh

if [ -f build/CMakeCache.txt ]; then
    native=build
    configure=(cmake -S . -B build)
else
    native=build-package
    configure=(cmake -S . -B build-package -DCMAKE_BUILD_TYPE=RelWithDebInfo -DUPDATER_WERROR=ON
               -DUPDATER_TESTS=OFF -DUPDATER_BENCH=OFF)
fi

# help2man writes the man pages; dpkg-shlibdeps (dpkg-dev) and file find
# the libraries the programs need.
step "Packages (cmake, g++, help2man, dpkg-dev, MinGW-w64)" scripts/install-packages.sh \
    cmake make g++ help2man dpkg-dev file g++-mingw-w64-x86-64
step "Configuring $native/" "${configure[@]}"
step "Building in $native/" cmake --build "$native" -j"$(nproc)"
step "Debian package" cpack --config "$native/CPackConfig.cmake" -B "$out"
step "Building in build-windows/" scripts/build-windows.sh
step "Windows zip" cpack --config build-windows/CPackConfig.cmake -B "$out"
rm -rf "$out/_CPack_Packages"
ls "$out"/*.deb "$out"/*.zip

if [ "$check" = 1 ]; then
    scripts/check-packages.sh
fi
