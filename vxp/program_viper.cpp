// VIPER: writes one device image into a flash device of the video processor
// through the ISP driver that suits the device. Read from the bottom up:
// the command, the sequence of one device that VIPER and ALL both run
// (driver, pause, image, end of the run), one file's download (loadFile),
// and the two downloads it makes, the driver's and an image's.
#include <cstdint>
#include <cstdio>

#include "link/isp_codes.h"
#include "link/isp_link.h"
#include "link/micro_link.h"
#include "port/console.h"
#include "port/port.h"
#include "vxp/commands.h"
#include "vxp/device_io.h"

namespace {

constexpr DWORD kDriverFirst = 0x800;
constexpr DWORD kDriverEnd = 0x2000;
constexpr DWORD kDriverBlock = 16;
constexpr DWORD kResetWaitMs = 5000;
constexpr unsigned long kCallDriverWaitMs = 1000;
constexpr DWORD kImageBlock = 32;
constexpr int kMostResyncs = 6;  // per block: it is sent at most seven times
constexpr unsigned long kSetModeWaitMs = 15000;
constexpr unsigned long kEraseWaitMs = 20000;
constexpr DWORD kSettleMs = 500;
constexpr DWORD kDrainChunk = 1024;
constexpr DWORD kDrainLimitMs = 5000;
constexpr DWORD kBetweenDownloadsMs = 1000;

// ---- The driver's download ------------------------------------------------

int sendDriverBlock(const ImageArea& image, DWORD address) {
    std::uint16_t msg[12] = {ispHeader(kIspDriverBlock, 10), static_cast<std::uint16_t>((address >> 16) << 12),
                             static_cast<std::uint16_t>(address & 0xFFFF)};
    for (DWORD k = 0; k < kDriverBlock / 2; ++k) msg[3 + k] = imageWord(image, address + 2 * k);
    std::uint16_t reply[18] = {};
    return sendISPCmd(msg, reply, 0);
}

int callDriver() {
    std::uint16_t msg[6] = {ispHeader(kIspCallDriver, 4), kDriverFirst / 16, 0x0000, 0x3300, 0x0000, 0};
    std::uint16_t reply[18] = {};
    return sendISPCmd(msg, reply, kCallDriverWaitMs);
}

// Resets the video processor, writes the driver from 0x800 in 16-byte
// blocks and starts it.
bool downloadDriver(const ImageArea& image) {
    printf("Soft Reset...\n");
    if (!microCommand(kMicroProgramMode) || !microCommand(kMicroRelease)) return false;
    printf("Waiting 5 sec...\n");
    _sleep(kResetWaitMs);

    int time = 0;
    printf("Begin Job...\n");
    // Only whole blocks of the file are sent, and nothing from 0x2000 on.
    for (DWORD address = kDriverFirst; address < kDriverEnd && address + kDriverBlock <= image.size;
         address += kDriverBlock) {
        if (!sendDriverBlock(image, address)) return false;
        downloadProgress(address, kDriverFirst, kDriverEnd - kDriverFirst, time);
    }
    printClosingProgress();

    printf("\nCalling ISP Driver...\n");
    return callDriver() == 1;
}

// ---- An image's download -------------------------------------------------

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
    std::uint16_t msg[18] = {ispHeader(kIspImageBlock, 16)};
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
    if (!askStatusAfterRefusal(request, reply)) return false;
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

// Writes an image through the driver: devices 1 to 4 in one pass from
// address 0, devices 5 and 7 erased first and their header written last.
// Ends the download with the microcontroller.
bool downloadImage(const ImageArea& image, int device) {
    bool written = device == 5 || device == 7 ? eraseAndWrite(image, device) : writeInOnePass(image, device);
    return written && microCommand(kMicroDownloadEnd) && microCommand(kMicroRelease);
}

// ---- One file's download ---------------------------------------------------

// The driver stops the video processor's own program until a device
// download ends: that stays at risk after the driver is in.
bool loadDriver(const ImageArea& image) {
    noteInterruptRisk("the video processor may be left stopped for programming");
    return downloadDriver(image);
}

// A device is whole again only once its download has ended.
bool writeImage(const ImageArea& image, int device) {
    noteInterruptRisk("device %d may be partly written", device);
    if (!downloadImage(image, device)) return false;
    clearInterruptRisk();
    return true;
}

// Download of the ISP driver (device 0) or of a flash device image: 0 when
// done, -1 when not.
int loadFile(const char* filename, int device) {
    ImageArea image;
    if (openImage(filename, device, image) != kExitDone) return -1;

    // Nothing that arrived before the download belongs to it.
    DWORD begin = GetTickCount();
    bool done = drainPort(kDrainChunk, GetTickCount() + kDrainLimitMs);
    if (done) {
        begin = GetTickCount();
        noteFileSent(filename);
        done = device == 0 ? loadDriver(image) : writeImage(image, device);
    } else {
        printf("The line never falls silent. Download not started.\n");
    }

    if (done) printf("\n");
    printTime(begin, 0);
    closeImage(image);
    return done ? 0 : -1;
}

void failureEnd(ExitStatus status) {
    exitStatus = status;
    pressKeyToContinue();
}

}  // namespace

const char* driverFor(int device) {
    switch (device) {
    case 1: return "SFDriver.bin";
    case 5:
    case 7: return "FDriver.bin";
    default: return nullptr;
    }
}

DeviceRun programDevice(int device, const char* image, const char* announcement) {
    if (const char* driver = driverFor(device)) {
        printf("Loading ISP Driver...\n");
        if (loadFile(driver, 0) == -1) return DeviceRun::kDriverFailed;
        _sleep(kBetweenDownloadsMs);
    }
    printf("%s", announcement);
    if (loadFile(image, device) == -1) return DeviceRun::kImageFailed;
    microCommand(kMicroRunEnd);  // the images are written whatever its answer
    return DeviceRun::kWritten;
}

void ProgramViper(int device, const char* fileName) {
    // Both files are judged before the card hears anything of this run.
    const char* driver = driverFor(device);
    UpdateFileCheck driverCheck = driver != nullptr ? checkUpdateFile(driver, 0) : UpdateFileCheck::kAcceptable;
    UpdateFileCheck imageCheck = checkUpdateFile(fileName, device);
    if (driverCheck == UpdateFileCheck::kRefused || imageCheck == UpdateFileCheck::kRefused) {
        return failureEnd(kExitRefused);
    }

    if (!setPollingTimeouts()) {
        printf("Failed to set timeout : error %ld\n", static_cast<long>(GetLastError()));
        return failureEnd(kExitFailed);
    }

    DWORD begin = GetTickCount();
    char announcement[300];
    std::snprintf(announcement, sizeof announcement, "Programm %s ...\n", fileName);
    switch (programDevice(device, fileName, announcement)) {
    case DeviceRun::kWritten: return printTime(begin, 1);
    case DeviceRun::kDriverFailed:
        // A driver that cannot be opened fails before anything is sent.
        return failureEnd(driverCheck == UpdateFileCheck::kNotOpened ? kExitRefused : kExitFailed);
    case DeviceRun::kImageFailed: return failureEnd(kExitFailed);
    }
}
