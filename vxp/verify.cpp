#include "vxp/commands.h"

#include <cstdint>

#include "port/console.h"
#include "link/isp_link.h"
#include "link/port_io.h"
#include "vxp/download_progress.h"
#include "vxp/image_file.h"
#include "vxp/isp_commands.h"

namespace {

constexpr DWORD kDrainChunk = 1024;
constexpr DWORD kDrainLimitMs = 5000;
constexpr DWORD kReadBlock = 32;
constexpr std::uint16_t kReadReplyCode = 0x73A;
constexpr int kMostResyncs = 6;  // per block: it is read at most seven times

bool deviceValid(int device) { return (device >= 1 && device <= 5) || device == 7; }

// The comparison's running figures.
struct Comparison {
    DWORD receive = 0;  // data bytes received so far
    int mismatch = 0;   // words that differ from the image
    int time = 0;       // progress lines printed
};

// Asks the driver for its state after a failed or a wrong read and, after a
// failed one, sets the read mode again from the block. False ends the
// verify: the driver cannot be brought back, or the block has been tried
// too often.
bool resynchronise(int device, const ImageArea& image, DWORD address, int retryValue,
                   bool setModeAgain) {
    std::uint16_t request[3];
    std::uint16_t reply[18] = {};
    if (!sendStatusRequest(request, reply)) {
        printf("Unable to send cmd.\n");
        return false;
    }
    if (setModeAgain) printf("ISP Mode Status Request ...\n");
    if (retryValue >= kMostResyncs) return false;
    if (!setModeAgain) return true;
    printf("Setting ISP Mode...\n");
    return sendSetIspMode(kIspModeRead, device, address, image.size - address, 0) == 1;
}

// Reads the block at `address` into `reply`, resynchronising as often as allowed.
bool readBlock(int device, const ImageArea& image, DWORD address, std::uint16_t* reply) {
    for (int retryValue = 0;; ++retryValue) {
        std::uint16_t request[3] = {0x0639, 0x0000, 0};
        bool exchanged = sendISPCmd(request, reply, 0) == 1;
        unsigned code = reply[0] & 0x0FFF;
        if (exchanged && code == kReadReplyCode) return true;
        if (exchanged) printf("\nBad Response - %04x ", code);
        if (!resynchronise(device, image, address, retryValue, !exchanged)) return false;
    }
}

void compareBlock(const ImageArea& image, DWORD address, const std::uint16_t* reply,
                  Comparison& comparison) {
    int words = (reply[0] >> 12) + 1;
    for (int i = 0; i < words; ++i) {
        DWORD offset = 2 * static_cast<DWORD>(i);
        if (comparison.receive + offset < image.size &&
            reply[i + 1] != imageWord(image, address + offset)) {
            ++comparison.mismatch;
        }
    }
    comparison.receive += 2 * static_cast<DWORD>(words);
}

void printProgress(const ImageArea& image, DWORD address, Comparison& comparison) {
    if (progressLineDue(address, image.size, comparison.time)) {
        double percent = static_cast<double>(address) / static_cast<double>(image.size) * 100.0;
        printf("%cJob at %0.2f %c --- Mismatch Total %d", 13, percent, '%', comparison.mismatch);
    }
}

// Sets the read mode for the whole image and checks that the driver took the device.
bool selectDevice(int device, const ImageArea& image) {
    if (!sendSetIspMode(kIspModeRead, device, 0, image.size, 0)) {
        printf("Unable to send cmd.\n");
        return false;
    }
    printf("Setting ISP Mode...\n");
    return deviceSelected(device);
}

bool compareDevice(int device, const ImageArea& image, Comparison& comparison) {
    if (!selectDevice(device, image)) return false;
    for (DWORD address = 0; address < image.size; address += kReadBlock) {
        std::uint16_t reply[18] = {};
        if (!readBlock(device, image, address, reply)) return false;
        compareBlock(image, address, reply, comparison);
        printProgress(image, address, comparison);
    }
    return true;
}

int failureEnd(ImageArea& image, ExitStatus status) {
    closeImage(image);
    exitStatus = status;
    pressKeyToContinue();
    return -1;
}

}  // namespace

int verify(const char* filename, int device) {
    ImageArea image;
    ExitStatus opened = openImage(filename, device, image, false);
    if (opened != kExitDone) return failureEnd(image, opened);

    if (!drainPort(kDrainChunk, kDrainLimitMs)) {
        printf("The line never falls silent. Verify not started.\n");
        return failureEnd(image, kExitFailed);
    }
    DWORD begin = GetTickCount();
    if (!deviceValid(device)) {
        printf("Invalid device ID %d\n", device);
        return failureEnd(image, kExitRefused);
    }

    Comparison comparison;
    if (!compareDevice(device, image, comparison)) return failureEnd(image, kExitFailed);

    printf("%cJob at 100%% ----- Mismatch Total %d \t\t\t\t", 13, comparison.mismatch);
    printf("\n");
    closeImage(image);
    printTime(begin, 1);
    if (comparison.mismatch != 0) exitStatus = kExitFailed;
    return 0;
}
