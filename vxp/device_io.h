// What the download and the verify share: a device's file read whole into
// one image area, the ISP requests that select a device and ask what is
// selected, and the one-line progress of a phase.
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/win32.h"
#include "port/console.h"

// ---- The image file --------------------------------------------------------

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

// ---- The requests both send --------------------------------------------------

// Set ISP mode: `mode` (kIspModeWrite or kIspModeRead), the device, the start
// address and the length. Returns the link's result, 1 or 0.
int sendSetIspMode(std::uint16_t mode, int device, DWORD start, DWORD length, unsigned long wait);

// After a refused request: the status request, built in `request` (3 words,
// checksum included, for printing), its answer in `reply` (at least 18
// words); "Unable to send cmd." when it fails, otherwise "ISP Mode Status
// Request ...". True when it was answered.
bool askStatusAfterRefusal(std::uint16_t* request, std::uint16_t* reply);

// Asks with a status request whether the driver has selected `device`.
// Prints "Unable to send cmd." or "Device not setted !" when not.
bool deviceSelected(int device);

// ---- The progress line -------------------------------------------------------

// After the block at `address` of a phase that spans `span` bytes: true when
// (span / 5000) * `time` is below the address, the line then being counted
// in `time`. So a phase prints about 5000 lines at most, however large.
bool progressLineDue(DWORD address, DWORD span, int& time);

// After a block at `address` was accepted, in a phase that starts at `first`
// and spans `span` bytes: prints the progress line (no line feed) when it is due.
void downloadProgress(DWORD address, DWORD first, DWORD span, int& time);

// The closing line of a phase: "Job at 100%", no line feed.
void printClosingProgress();
