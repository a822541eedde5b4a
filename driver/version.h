// The tool's own version, shown in the banner (major.minor) and by --version
// (major.minor.patch), and the platform it was built for. The numbers come
// from the build (CMake's project version, as -DUPDATER_VERSION_MAJOR=2 ...),
// so that the program, its packages and their names always agree.
#pragma once

#if !defined(UPDATER_VERSION_MAJOR) || !defined(UPDATER_VERSION_MINOR) || !defined(UPDATER_VERSION_PATCH)
#error "UPDATER_VERSION_MAJOR, _MINOR and _PATCH are set by the build (cmake/packaging.cmake)"
#endif

constexpr int kVersionMajor = UPDATER_VERSION_MAJOR;
constexpr int kVersionMinor = UPDATER_VERSION_MINOR;
constexpr int kVersionPatch = UPDATER_VERSION_PATCH;

#if defined(_WIN32)
constexpr char kPlatformName[] = "Windows";
#elif defined(__APPLE__)
constexpr char kPlatformName[] = "macOS";
#elif defined(__linux__)
constexpr char kPlatformName[] = "Linux";
#else
constexpr char kPlatformName[] = "POSIX";
#endif
