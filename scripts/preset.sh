# What the scripts need to know of a configuration of CMakePresets.json
# (sourced): $preset (from $PRESET, default "default"), the Debian packages
# it builds with ($preset_packages) and its build directory ($build_dir:
# $BUILD_DIR if set, else the preset's binaryDir).
preset=${PRESET:-default}
case $preset in
    default) preset_packages=(cmake g++ make libgtest-dev nlohmann-json3-dev libssl-dev); build_dir=build ;;
    sanitize | fuzz)
        preset_packages=(cmake clang libclang-rt-14-dev make libgtest-dev nlohmann-json3-dev libssl-dev)
        build_dir=build-sanitize
        ;;
    mingw) preset_packages=(cmake make g++-mingw-w64-x86-64 nlohmann-json3-dev); build_dir=build-windows ;;
    *) echo "Unknown preset $preset (default, sanitize, fuzz or mingw)" >&2; exit 2 ;;
esac
build_dir=${BUILD_DIR:-$build_dir}
