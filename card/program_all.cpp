// ALL: looks for the update files in the working directory and updates
// every part of the card it finds one for, in one fixed order under one
// total time: the EDID, flash device 5, flash device 1, the FPGA. Each
// device runs the same sequence as VIPER (vxp/commands.h).
#include <cstdio>

#include "card/commands.h"
#include "port/console.h"
#include "port/port.h"
#include "vxp/commands.h"

namespace {

// ---- The files ----------------------------------------------------------------

constexpr std::size_t kEdidBlock = 128;

bool downloadAcceptable(const char* name, int device) {
    switch (checkUpdateFile(name, device)) {
    case UpdateFileCheck::kAcceptable: return true;
    case UpdateFileCheck::kNotOpened: printf("Unable to open file : %s\n", name); return false;
    case UpdateFileCheck::kRefused: break;
    }
    return false;
}

}  // namespace

bool edidFileAcceptable(const char* name, Refusal& why) {
    std::FILE* file = std::fopen(name, "rb");
    if (file == nullptr) return refuseFile(why, "Unable to open file : %s\n", name);
    unsigned char image[2 * kEdidBlock + 1];
    std::size_t size = std::fread(image, 1, sizeof image, file);
    std::fclose(file);
    if (size == kEdidBlock || size == 2 * kEdidBlock) return true;
    return refuseFile(why, "\nError only file of 128 or 256 bytes can be read\n");
}

bool fpgaFileAcceptable(const char* name, Refusal& why) {
    std::FILE* file = std::fopen(name, "rb");
    if (file == nullptr) return refuseFile(why, "Unable to open file : %s\n", name);
    unsigned char chunk[4096];
    std::size_t total = 0;
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) total += got;
    bool readable = std::ferror(file) == 0 && total > 0;
    std::fclose(file);
    return readable || refuseFile(why, "Unable to read file : %s\n", name);
}

namespace {

// Runs `check` on the file `name`, printing why it is refused.
bool printedCheck(bool (*check)(const char*, Refusal&), const char* name) {
    Refusal why;
    if (check(name, why)) return true;
    printRefusal(why);
    return false;
}

// Every file of the steps to run judged before anything goes to the card:
// the drivers and images as VIPER judges them, the EDID image's size and the
// FPGA file's readability. Prints why each refused file is refused.
bool updateFilesAcceptable(bool device1, bool device5, bool fpga, bool edid) {
    bool acceptable = true;
    if (edid) acceptable = printedCheck(edidFileAcceptable, "EDID.bin") && acceptable;
    if (device5) {
        acceptable = downloadAcceptable(driverFor(5), 0) && acceptable;
        acceptable = downloadAcceptable("Device5.bin", 5) && acceptable;
    }
    if (device1) {
        acceptable = downloadAcceptable(driverFor(1), 0) && acceptable;
        acceptable = downloadAcceptable("Device1.bin", 1) && acceptable;
    }
    if (fpga) acceptable = printedCheck(fpgaFileAcceptable, "fpga.xsvf") && acceptable;
    return acceptable;
}

// Prints whether one update file of the ALL command is there.
bool present(const char* name) {
    printf("%s : ", name);
    bool there = GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
    printf(there ? "\tYES\n" : "\tNO\n");
    return there;
}

// A device image is only usable with the driver that programs it.
bool driverPresent(int device, const char* missingLine) {
    const char* driver = driverFor(device);
    printf("%s : ", driver);
    if (GetFileAttributesA(driver) != INVALID_FILE_ATTRIBUTES) {
        printf("\tYES\n");
        return true;
    }
    printf("%s", missingLine);
    return false;
}

// ---- The steps ------------------------------------------------------------------

// One device's sequence; false when a download failed.
bool written(int device, const char* image, const char* announcement) {
    return programDevice(device, image, announcement) == DeviceRun::kWritten;
}

void stop(ExitStatus status) {
    exitStatus = status;
    pressKeyToContinue();
}

}  // namespace

void programAllFound(int DVITOSDI) {
    printf("\nLooking for update files ... \n\n");
    unsigned char device1Present = present("Device1.bin");
    unsigned char device5Present = present("Device5.bin");
    if (device1Present)
        device1Present = driverPresent(1, "\tNO  (ERROR - You need a driver to update device1.)\n");
    if (device5Present)
        device5Present = driverPresent(5, "\tNO  (ERROR - You need a driver to update device5.)\n");
    unsigned char fpgaPresent = present("fpga.xsvf");
    unsigned char edidPresent = DVITOSDI == 1 && present("EDID.bin");

    if (!device1Present && !device5Present && !fpgaPresent && !edidPresent) {
        printf("No update available.");
        exitStatus = kExitRefused;
        return;
    }
    ProgramALL(device1Present, device5Present, fpgaPresent, edidPresent);
}

void ProgramALL(int device1Present, int device5Present, int fpgaPresent, int edidPresent) {
    // Only the low byte of each flag counts.
    bool device1 = (device1Present & 0xFF) != 0;
    bool device5 = (device5Present & 0xFF) != 0;
    bool fpga = (fpgaPresent & 0xFF) != 0;
    bool edid = (edidPresent & 0xFF) != 0;
    if (!updateFilesAcceptable(device1, device5, fpga, edid)) return stop(kExitRefused);

    DWORD begin = GetTickCount();
    if (edid) ProgramEDID("EDID.bin");  // its failure does not end the sequence
    bool edidFailed = exitStatus != kExitDone;

    if (!setDownloadTimeouts()) {
        printf("Failed to set timeout : error %ld\n", static_cast<long>(GetLastError()));
        exitStatus = kExitFailed;
        return;
    }
    if (device5 && !written(5, "Device5.bin", "Program Device5.bin ...\n")) {
        return stop(kExitFailed);
    }
    if (device1 && !written(1, "Device1.bin", "Program Device1.bin ...\n")) {
        return stop(kExitFailed);
    }
    if (fpga) ProgramFPGA("fpga.xsvf");  // its failure does not end the sequence
    printTime(begin, 1);

    // A step that failed on its way fails the run; the EDID's risk stands
    // even when the steps after it ended well.
    if (exitStatus != kExitDone) exitStatus = kExitFailed;
    if (edidFailed && recoveryAdvice()[0] == '\0') noteInterruptRisk("the EDID memory may be partly written");
}
