#include "vxp/commands.h"

#include <cstdint>

#include "link/isp_codes.h"
#include "link/isp_link.h"
#include "port/console.h"
#include "port/port.h"
#include "vxp/device_io.h"

namespace {

constexpr DWORD kDrainChunk = 1024;
constexpr DWORD kDrainLimitMs = 5000;
constexpr DWORD kReadBlock = 32;
constexpr int kMostResyncs = 6;  // per block: it is read at most seven times

bool deviceValid(int device) { return (device >= 1 && device <= 5) || device == 7; }

// The comparison's running figures.
struct Comparison {
    DWORD receive = 0;  // data bytes received so far
    int mismatch = 0;   // words that differ from the image
    int time = 0;       // progress lines printed
};

// After a read that brought no intact data reply (refused, unanswered,
// damaged, or of another code): drains what came late on the line, asks the
// driver for its state and sets the read mode again from the block, so that
// the next read brings this block, whatever the driver sent or took
// meanwhile. False ends the verify: the line does not fall silent, the
// driver cannot be brought back, or the block has been tried too often.
bool resynchronise(int device, const ImageArea& image, DWORD address, int retryValue) {
    if (!drainPort(kDrainChunk, GetTickCount() + kDrainLimitMs)) {
        printf("The line never falls silent. Verify stopped.\n");
        return false;
    }
    std::uint16_t request[3];
    std::uint16_t reply[18] = {};
    if (!askStatusAfterRefusal(request, reply)) return false;
    if (retryValue >= kMostResyncs) return false;
    printf("Setting ISP Mode...\n");
    return sendSetIspMode(kIspModeRead, device, address, image.size - address, 0) == 1;
}

// Reads the block at `address` into `reply`, resynchronising as often as
// allowed. Only a data reply whose length and checksum are right is taken:
// a damaged one is never compared.
bool readBlock(int device, const ImageArea& image, DWORD address, std::uint16_t* reply) {
    for (int retryValue = 0;; ++retryValue) {
        std::uint16_t request[3] = {ispHeader(kIspReadBlock, 1), 0x0000, 0};
        bool intact = sendISPCmd(request, reply, 0) == 1 && ispReplyIntact();
        unsigned code = ispCode(reply[0]);
        if (intact && code == kIspReadReply) return true;
        if (intact) printf("\nBad Response - %04x ", code);
        if (!resynchronise(device, image, address, retryValue)) return false;
    }
}

void compareBlock(const ImageArea& image, DWORD address, const std::uint16_t* reply, Comparison& comparison) {
    int words = ispArgumentWords(reply[0]);
    for (int i = 0; i < words; ++i) {
        DWORD offset = 2 * static_cast<DWORD>(i);
        if (comparison.receive + offset < image.size && reply[i + 1] != imageWord(image, address + offset)) {
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

    if (!drainPort(kDrainChunk, GetTickCount() + kDrainLimitMs)) {
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
