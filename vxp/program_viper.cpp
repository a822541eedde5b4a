#include "vxp/commands.h"

#include "port/console.h"
#include "port/exit_status.h"
#include "port/port.h"
#include "vxp/image_file.h"

namespace {

constexpr DWORD kBetweenDownloadsMs = 1000;

// The ISP driver that programs a device, or nullptr.
const char* driverFor(int device) {
    switch (device) {
    case 1: return "SFDriver.bin";
    case 5:
    case 7: return "FDriver.bin";
    default: return nullptr;
    }
}

void failureEnd(ExitStatus status) {
    exitStatus = status;
    pressKeyToContinue();
}

}  // namespace

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
    if (driver != nullptr) {
        printf("Loading ISP Driver...\n");
        if (loadFile(driver, 0) == -1) {
            // A driver that cannot be opened fails before anything is sent.
            return failureEnd(driverCheck == UpdateFileCheck::kNotOpened ? kExitRefused : kExitFailed);
        }
        _sleep(kBetweenDownloadsMs);
    }

    printf("Programm %s ...\n", fileName);
    if (loadFile(fileName, device) == -1) return failureEnd(kExitFailed);

    microCommand(kMicroRunEnd);  // the images are written whatever its answer
    printTime(begin, 1);
}
