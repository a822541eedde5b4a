#include <cstdint>

#include "link/isp_link.h"
#include "vxp/commands.h"
#include "vxp/download_progress.h"
#include "vxp/downloads.h"
#include "vxp/isp_commands.h"

namespace {

constexpr DWORD kImageBlock = 32;
constexpr int kMostResyncs = 6;  // per block: it is sent at most seven times
constexpr unsigned long kSetModeWaitMs = 15000;
constexpr unsigned long kEraseWaitMs = 20000;
constexpr DWORD kSettleMs = 500;

// A run of blocks from `first` up to `end`, and what its resynchronisation prints.
struct BlockPhase {
    DWORD first;
    DWORD end;
    bool printPackets;  // the status request and its reply
    bool printAddress;  // the refused block's address
};

// True when the driver acknowledged the block. A reply that did not come
// whole (a wrong length or checksum) may be a refusal damaged on the line:
// it is taken as one, and the block is sent again after resynchronising.
bool sendImageBlock(const ImageArea& image, DWORD address) {
    std::uint16_t msg[18] = {0xF501};
    for (DWORD k = 0; k < kImageBlock / 2; ++k) msg[1 + k] = imageWord(image, address + 2 * k);
    std::uint16_t reply[18] = {};
    return sendISPCmd(msg, reply, 0) == 1 && ispReplyIntact();
}

// After a refused block: asks the driver for its state and sets the ISP mode
// again from that block. False when the driver cannot be brought back, or
// when the block has been refused too often.
bool resynchronise(int device, const BlockPhase& phase, DWORD address, int retryValue) {
    std::uint16_t request[3];
    std::uint16_t reply[18] = {};
    if (!sendStatusRequest(request, reply)) {
        printf("Unable to send cmd.\n");
        return false;
    }
    printf("ISP Mode Status Request ...\n");
    if (phase.printPackets) {
        printMsg(request);
        printMsg(reply);
    }
    if (retryValue >= kMostResyncs) return false;
    if (phase.printAddress) printf("Addr - 0x%08x\n", static_cast<unsigned>(address));
    printf("Setting ISP Mode...\n");
    return sendSetIspMode(kIspModeWrite, device, address, phase.end - address, 0) == 1;
}

bool sendBlocks(const ImageArea& image, int device, const BlockPhase& phase, int& time) {
    for (DWORD address = phase.first; address < phase.end; address += kImageBlock) {
        for (int retryValue = 0; !sendImageBlock(image, address); ++retryValue) {
            if (!resynchronise(device, phase, address, retryValue)) return false;
        }
        downloadProgress(address, phase.first, phase.end - phase.first, time);
    }
    return true;
}

bool writeInOnePass(const ImageArea& image, int device) {
    printf("Setting ISP Mode...\n");
    if (!sendSetIspMode(kIspModeWrite, device, 0, image.size, kSetModeWaitMs)) return false;
    int time = 0;
    printf("Begin Job...\n");
    if (!sendBlocks(image, device, {0, image.size, true, false}, time)) return false;
    printClosingProgress();
    return true;
}

// The data from 0x100 first, the header last: a device whose header is
// written holds a whole image.
bool eraseAndWrite(const ImageArea& image, int device) {
    printf("Setting ISP Mode...\n");
    printf("Erasing device...\n");
    if (!sendSetIspMode(kIspModeWrite, device, kImageHeaderSize, image.size - kImageHeaderSize, kEraseWaitMs)) {
        return false;
    }
    if (!deviceSelected(device)) return false;

    _sleep(kSettleMs);
    int time = 0;
    printf("Begin Job... Data ..\n");
    if (!sendBlocks(image, device, {kImageHeaderSize, image.size, true, true}, time)) return false;
    printClosingProgress();
    printf("\n");

    printf("Setting ISP Mode...\n");
    if (!sendSetIspMode(kIspModeWrite, device, 0, kImageHeaderSize, 0)) return false;
    printf("Begin Job... Header...\n");
    if (!sendBlocks(image, device, {0, kImageHeaderSize, false, false}, time)) return false;
    printClosingProgress();
    printf("\nSoft Reset.");
    return true;
}

}  // namespace

bool downloadImage(const ImageArea& image, int device) {
    bool written = device == 5 || device == 7 ? eraseAndWrite(image, device) : writeInOnePass(image, device);
    return written && microCommand(kMicroDownloadEnd) && microCommand(kMicroRelease);
}
