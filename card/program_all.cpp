// ALL: updates every part of the card whose update file lies in the
// working directory, in one fixed order under one total time: the EDID,
// flash device 5, flash device 1, the FPGA.
#include "card/handlers.h"
#include "card/update_files.h"
#include "port/console.h"
#include "port/exit_status.h"
#include "port/port.h"
#include "vxp/commands.h"

namespace {

constexpr DWORD kBetweenDownloadsMs = 1000;

// The time-outs of the device downloads: every read waits at most 1 ms.
BOOL setDownloadTimeouts() {
    ct.ReadIntervalTimeout = 0;
    ct.ReadTotalTimeoutMultiplier = 0;
    ct.ReadTotalTimeoutConstant = 1;
    ct.WriteTotalTimeoutMultiplier = 0;
    ct.WriteTotalTimeoutConstant = 1;
    return SetCommTimeouts(lport, &ct);
}

// A driver download, then its image's; the run's end is told to the
// microcontroller whatever it answers. False when a download failed.
bool programDevice(const char* driver, const char* message, const char* image, int device) {
    printf("Loading ISP Driver...\n");
    if (loadFile(driver, 0) == -1) return false;
    _sleep(kBetweenDownloadsMs);
    printf("%s", message);
    if (loadFile(image, device) == -1) return false;
    microCommand(kMicroRunEnd);
    return true;
}

void stop(ExitStatus status) {
    exitStatus = status;
    pressKeyToContinue();
}

}  // namespace

void ProgramALL(int device1Present, int device5Present, int fpgaPresent, int edidPresent) {
    // Only the low byte of each flag counts.
    bool device1 = (device1Present & 0xFF) != 0;
    bool device5 = (device5Present & 0xFF) != 0;
    bool fpga = (fpgaPresent & 0xFF) != 0;
    bool edid = (edidPresent & 0xFF) != 0;
    if (!updateFilesAcceptable(device1, device5, fpga, edid)) return stop(kExitRefused);

    DWORD begin = GetTickCount();
    if (edid) ProgramEDID("EDID.bin");  // its failure does not end the sequence

    if (!setDownloadTimeouts()) {
        printf("Failed to set timeout : error %ld\n", static_cast<long>(GetLastError()));
        exitStatus = kExitFailed;
        return;
    }
    if (device5 && !programDevice("FDriver.bin", "Program Device5.bin ...\n", "Device5.bin", 5)) {
        return stop(kExitFailed);
    }
    if (device1 && !programDevice("SFDriver.bin", "Program Device1.bin ...\n", "Device1.bin", 1)) {
        return stop(kExitFailed);
    }
    if (fpga) ProgramFPGA("fpga.xsvf");  // its failure does not end the sequence
    printTime(begin, 1);

    // A step that failed on its way fails the run.
    if (exitStatus != kExitDone) exitStatus = kExitFailed;
}
