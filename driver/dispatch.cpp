#include "driver/dispatch.h"

#include <cstring>

#include "boot/commands.h"
#include "card/commands.h"
#include "platform/win32.h"
#include "port/console.h"
#include "vxp/commands.h"

namespace {

enum Command : unsigned short {
    kFpga = 0,
    kViper = 1,
    kMicro = 2,
    kEdid = 3,
    kAll = 4,
    kRemote = 5,
    kVerify = 6,
    kStatus = 7,
    kGamma = 8,
    kNoCommand = 9,
};

const char* const kKeywords[9] = {"FPGA", "VIPER", "MICRO", "EDID", "ALL", "REMOTE", "VERIFY", "STATUS", "GAMMA"};

bool refuse(const char* message) {
    printf("%s", message);
    exitStatus = kExitRefused;
    return false;
}

bool commandLineComplete(int argc, const char* command) {
    if (argc > 3) return true;
    return argc == 3 && (std::strcmp(command, "MICRO") == 0 || std::strcmp(command, "ALL") == 0 ||
                         std::strcmp(command, "STATUS") == 0);
}

void printUsage(int DVITOSDI) {
    printf("Error: Usage is\n");
    printf("  updater [COMXX] [FPGA/VIPER] Filename.xxx\n");
    printf("e.g. updater COM1 FPGA fpga.xsvf\n");
    printf("e.g. updater COM1 VIPER Device5.bin\n");
    printf("e.g. updater COM1 MICRO\n");
    if (DVITOSDI == 1) {
        printf("e.g. updater COM1 EDID\n");
    } else {
        printf("e.g. updater COM1 ALL\n");
    }
}

Command commandCode(const char* command, int DVITOSDI) {
    for (unsigned short code = kFpga; code <= kGamma; ++code) {
        if (code == kEdid && DVITOSDI != 1) continue;
        if (std::strcmp(command, kKeywords[code]) == 0) return static_cast<Command>(code);
    }
    return kNoCommand;
}

bool endsWith(const char* name, const char* extension) {
    std::size_t nameLength = std::strlen(name);
    std::size_t extensionLength = std::strlen(extension);
    return nameLength >= extensionLength && std::strcmp(name + nameLength - extensionLength, extension) == 0;
}

bool deviceFileNameOk(const char* name, unsigned short& device) {
    Refusal why;
    return deviceFileNameAcceptable(name, device, why) || refuse(why.text);
}

bool fileNameOk(Command update, const char* name, unsigned short& device) {
    switch (update) {
    case kFpga: return endsWith(name, ".xsvf") || refuse("Bad fpga file\n");
    case kEdid: return endsWith(name, ".bin") || refuse("Bad EDID file\n");
    case kRemote: return endsWith(name, ".txt") || refuse("Bad REMOTE file\n");
    case kGamma: return endsWith(name, ".csv") || refuse("Bad GAMMA file\n");
    case kViper:
    case kVerify: return deviceFileNameOk(name, device);
    default: return true;
    }
}

bool fileExists(const char* name) { return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

bool deviceFileNameAcceptable(const char* name, unsigned short& device, Refusal& why) {
    if (std::strncmp(name, "Device", 6) != 0) {
        return refuseFile(why, "Bad device file. (Device 1 or 5 only)\n");
    }
    switch (name[6]) {
    case '1': device = 1; break;
    case '5': device = 5; break;
    case '7': device = 7; break;
    default: return refuseFile(why, "Bad device file. (Device 1,5  or 7 only)\n");
    }
    if (std::strncmp(name + 7, ".bin", 4) != 0) {
        return refuseFile(why, "Bad device file. (Device 1, 5 or 7 only)\n");
    }
    return true;
}

void dispatchCommand(int argc, char* argv[], const char* command, int DVITOSDI) {
    if (!commandLineComplete(argc, command)) {
        printUsage(DVITOSDI);
        exitStatus = kExitRefused;
        return;
    }

    Command update = commandCode(command, DVITOSDI);
    if (update == kNoCommand) {
        refuse(DVITOSDI == 1 ? "Must be FPGA, VIPER, MICRO, EDID, CMD , GAMMA or ALL\n"
                             : "Must be FPGA, VIPER, MICRO, CMD, GAMMA or ALL\n");
        return;
    }

    char fileName[256] = "";
    unsigned short device = 0;
    bool takesFile = update != kMicro && update != kAll && update != kStatus;
    if (takesFile) {
        if (std::strlen(argv[3]) >= sizeof fileName) {
            refuse("File name too long (255 characters at most)\n");
            return;
        }
        std::strcpy(fileName, argv[3]);
        if (!fileNameOk(update, fileName, device)) return;
        if (!fileExists(fileName)) {
            printf("File %s doesn't exist.\n", fileName);
            exitStatus = kExitRefused;
            if (update != kViper && update != kVerify) system("PAUSE");
            return;
        }
    }

    switch (update) {
    case kFpga: ProgramFPGA(fileName); break;
    case kViper: ProgramViper(device, fileName); break;
    case kMicro: ProgramMicro(); break;
    case kEdid: ProgramEDID(fileName); break;
    case kAll: programAllFound(DVITOSDI); break;
    case kRemote: Remote(fileName); break;
    case kVerify: verify(fileName, device); break;
    case kStatus: vxpStatus(); break;
    case kGamma: ProgramGamma(fileName); break;
    case kNoCommand: break;
    }
}
