// The file of a download or a verify, read whole into one image area.
#pragma once

#include <cstdint>
#include <cstdio>

#include "port/exit_status.h"
#include "platform/win32.h"

// The most bytes an update file may have: an image or driver file larger
// than this is refused rather than cut.
constexpr DWORD kImageMaxSize = 2097152;

// Devices 5 and 7 take their first 256 bytes (the header) last, so an image
// for them holds at least that much.
constexpr DWORD kImageHeaderSize = 0x100;

struct ImageArea {
    unsigned char* bytes = nullptr;  // the file from offset 0, then 0xFF to the next 32-byte boundary
    std::FILE* file = nullptr;
    DWORD size = 0;  // bytes read from the file
};

// Allocates the area, opens `filename` and reads it whole, printing its size.
// Returns kExitDone, or on failure (printed, everything released)
// kExitFailed when the area could not be had and kExitRefused when the file
// cannot be opened or read, or is refused for `device` (0: a driver; an
// image is never empty, and one `written` to device 5 or 7 holds its header).
ExitStatus openImage(const char* filename, int device, ImageArea& image, bool written = true);

// Closes the file and releases the area.
void closeImage(ImageArea& image);

// Image word k at `offset`: the byte there plus 256 times the next one.
inline std::uint16_t imageWord(const ImageArea& image, DWORD offset) {
    return static_cast<std::uint16_t>(image.bytes[offset] + 256 * image.bytes[offset + 1]);
}
