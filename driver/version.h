// The tool's own version, shown in the banner and by --version, and the
// platform it was built for. A build may set the numbers with compile
// definitions (-DUPDATER_VERSION_MAJOR=2 ...); these are the defaults.
#pragma once

#ifndef UPDATER_VERSION_MAJOR
#define UPDATER_VERSION_MAJOR 2
#endif
#ifndef UPDATER_VERSION_MINOR
#define UPDATER_VERSION_MINOR 20
#endif

constexpr int kVersionMajor = UPDATER_VERSION_MAJOR;
constexpr int kVersionMinor = UPDATER_VERSION_MINOR;

#if defined(_WIN32)
constexpr char kPlatformName[] = "Windows";
#elif defined(__APPLE__)
constexpr char kPlatformName[] = "macOS";
#elif defined(__linux__)
constexpr char kPlatformName[] = "Linux";
#else
constexpr char kPlatformName[] = "POSIX";
#endif
