#include "vxp/device_io.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "link/isp_codes.h"
#include "link/isp_link.h"
#include "vxp/commands.h"

namespace {

constexpr DWORD kMostProgressLines = 5000;
constexpr std::size_t kAreaSize = 3145728;
constexpr DWORD kBlockSize = 32;
constexpr unsigned char kErasedFlash = 0xFF;

bool needsHeader(int device) { return device == 5 || device == 7; }

// False, with the reason, when a file of `size` bytes cannot be used for
// `device` (0: a driver). An empty image would leave a device erased and
// report success; a device image written to 5 or 7 holds at least its header.
bool sizeAcceptable(const char* name, unsigned long size, int device, bool written, Refusal& why) {
    if (size > kImageMaxSize) {
        return refuseFile(why, "File %s is too large (2097152 bytes at most).\n", name);
    }
    if (device != 0 && size == 0) {
        return refuseFile(why, "File %s is empty.\n", name);
    }
    if (written && needsHeader(device) && size < kImageHeaderSize) {
        return refuseFile(why, "File %s is too small for device %d : %lu bytes (256 at least).\n", name, device,
                          size);
    }
    return true;
}

// A file that opened but could not be read to its end (a directory, an I/O
// error) has no size that can be trusted: it is refused rather than sent cut.
bool readAcceptable(const char* name, std::FILE* file, Refusal& why) {
    return !std::ferror(file) || refuseFile(why, "Unable to read file : %s\n", name);
}

// The file's size, counted by reading it up to one byte more than an image
// may have. Seeking to the end and asking the position cannot tell sizes
// that do not fit a `long` (32 bits on Windows).
std::size_t sizeUpToLimit(std::FILE* file) {
    unsigned char chunk[4096];
    std::size_t total = 0;
    while (total <= kImageMaxSize) {
        std::size_t wanted = std::min(sizeof chunk, std::size_t{kImageMaxSize} + 1 - total);
        std::size_t got = std::fread(chunk, 1, wanted, file);
        total += got;
        if (got < wanted) break;
    }
    return total;
}

}  // namespace

UpdateFileCheck judgeUpdateFile(const char* name, int device, Refusal& why) {
    std::FILE* file = std::fopen(name, "rb");
    if (file == nullptr) return UpdateFileCheck::kNotOpened;
    std::size_t size = sizeUpToLimit(file);
    bool acceptable = readAcceptable(name, file, why) && sizeAcceptable(name, size, device, true, why);
    std::fclose(file);
    return acceptable ? UpdateFileCheck::kAcceptable : UpdateFileCheck::kRefused;
}

UpdateFileCheck checkUpdateFile(const char* name, int device) {
    Refusal why;
    UpdateFileCheck check = judgeUpdateFile(name, device, why);
    if (check == UpdateFileCheck::kRefused) printRefusal(why);
    return check;
}

ExitStatus openImage(const char* filename, int device, ImageArea& image, bool written) {
    image.bytes = static_cast<unsigned char*>(std::malloc(kAreaSize));
    if (image.bytes == nullptr) {
        printf("Unable to allocate memory.\n");
        return kExitFailed;
    }
    image.file = std::fopen(filename, "rb");
    if (image.file == nullptr) {
        printf("Unable to open file : %s\n", filename);
        closeImage(image);
        return kExitRefused;
    }

    // One byte more than an image may have tells a file that would be cut.
    std::size_t count = std::fread(image.bytes, 1, kImageMaxSize + 1, image.file);
    Refusal why;
    if (!readAcceptable(filename, image.file, why) || !sizeAcceptable(filename, count, device, written, why)) {
        printRefusal(why);
        closeImage(image);
        return kExitRefused;
    }
    image.size = static_cast<DWORD>(count);
    printf("File Size : %d bytes\n", static_cast<int>(image.size));

    // The last block's bytes past the file's end are sent as erased flash.
    DWORD padded = (image.size + kBlockSize - 1) / kBlockSize * kBlockSize;
    std::memset(image.bytes + image.size, kErasedFlash, padded - image.size);
    return kExitDone;
}

void closeImage(ImageArea& image) {
    if (image.file != nullptr) std::fclose(image.file);
    std::free(image.bytes);
    image.file = nullptr;
    image.bytes = nullptr;
}

// ---- The requests both send ------------------------------------------------

namespace {

// The status request; returns the link's result, 1 or 0.
int sendStatusRequest(std::uint16_t* request, std::uint16_t* reply) {
    request[0] = ispHeader(kIspModeStatus, 1);
    request[1] = 0x0000;
    return sendISPCmd(request, reply, 0);
}

}  // namespace

int sendSetIspMode(std::uint16_t mode, int device, DWORD start, DWORD length, unsigned long wait) {
    std::uint16_t msg[8] = {ispHeader(kIspSetMode, 6),
                            mode,
                            static_cast<std::uint16_t>(device),
                            static_cast<std::uint16_t>(start & 0xFFFF),
                            static_cast<std::uint16_t>(start >> 16),
                            static_cast<std::uint16_t>(length & 0xFFFF),
                            static_cast<std::uint16_t>(length >> 16),
                            0};
    std::uint16_t reply[18] = {};
    return sendISPCmd(msg, reply, wait);
}

bool askStatusAfterRefusal(std::uint16_t* request, std::uint16_t* reply) {
    if (!sendStatusRequest(request, reply)) {
        printf("Unable to send cmd.\n");
        return false;
    }
    printf("ISP Mode Status Request ...\n");
    return true;
}

bool deviceSelected(int device) {
    std::uint16_t request[3];
    std::uint16_t reply[18] = {};
    if (!sendStatusRequest(request, reply)) {
        printf("Unable to send cmd.\n");
        return false;
    }
    if ((reply[1] & 0xFF) != device) {
        printf("Device not setted !\n");
        return false;
    }
    return true;
}

// ---- The progress line -------------------------------------------------------

bool progressLineDue(DWORD address, DWORD span, int& time) {
    if (span / kMostProgressLines * static_cast<DWORD>(time) >= address) return false;
    ++time;
    return true;
}

void downloadProgress(DWORD address, DWORD first, DWORD span, int& time) {
    if (progressLineDue(address, span, time)) {
        double percent = static_cast<double>(address - first) / static_cast<double>(span) * 100.0;
        printf("%cJob at %0.2f %c", 13, percent, '%');
    }
}

void printClosingProgress() { printf("%cJob at 100%%\t\t\t\t", 13); }
