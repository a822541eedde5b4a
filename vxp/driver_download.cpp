#include <cstdint>

#include "link/isp_link.h"
#include "vxp/commands.h"
#include "vxp/download_progress.h"
#include "vxp/downloads.h"

namespace {

constexpr DWORD kDriverFirst = 0x800;
constexpr DWORD kDriverEnd = 0x2000;
constexpr DWORD kDriverBlock = 16;
constexpr DWORD kResetWaitMs = 5000;
constexpr unsigned long kCallDriverWaitMs = 1000;

int sendDriverBlock(const ImageArea& image, DWORD address) {
    std::uint16_t msg[12] = {0x950D, static_cast<std::uint16_t>((address >> 16) << 12),
                             static_cast<std::uint16_t>(address & 0xFFFF)};
    for (DWORD k = 0; k < kDriverBlock / 2; ++k) msg[3 + k] = imageWord(image, address + 2 * k);
    std::uint16_t reply[18] = {};
    return sendISPCmd(msg, reply, 0);
}

int callDriver() {
    std::uint16_t msg[6] = {0x3802, kDriverFirst / 16, 0x0000, 0x3300, 0x0000, 0};
    std::uint16_t reply[18] = {};
    return sendISPCmd(msg, reply, kCallDriverWaitMs);
}

}  // namespace

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
