#include "driver/updater.h"

#include <cctype>
#include <cstring>

#include "boot/commands.h"
#include "driver/dispatch.h"
#include "driver/identification.h"
#include "driver/run_record.h"
#include "driver/version.h"
#include "port/console.h"
#include "port/port.h"

namespace {

constexpr std::size_t kWordArea = 100;  // argvU: a port name or command word and its NUL
constexpr DWORD kBootRate = 9600;
constexpr int kProbeCount = 11;             // a running firmware answers a probe with this many bytes
constexpr DWORD kProbeAnswerPauseMs = 100;  // for the probe's whole answer to arrive
constexpr DWORD kBeforeBootRateMs = 10;
constexpr DWORD kMenuKeyPauseMs = 500;  // an old firmware takes its menu keys this far apart
constexpr DWORD kBootKeyPauseMs = 500;  // after the key that starts the boot program

bool isComPortName(const char* name) {
    if (std::strncmp(name, "COM", 3) != 0) return false;
    std::size_t digits = std::strlen(name + 3);
    if (digits < 1 || digits > 3) return false;
    for (std::size_t i = 3; name[i] != '\0'; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
    }
    return true;
}

// The port's name and its device path; the name is at most 99 characters.
void setPortName(const char* name) {
    std::snprintf(lportname, sizeof lportname, "%.99s", name);
    std::snprintf(lfullportname, sizeof lfullportname, "\\\\.\\%s", name);
}

// Names the port from argument 1: COM followed by 1 to 3 digits, in any case.
// Elsewhere than on Windows an absolute device path is taken as it is.
bool takePortName(const char* argument, char* argvU) {
#ifndef _WIN32
    if (argument[0] == '/') {
        setPortName(argument);
        return true;
    }
#endif
    caseSensitive(argument, argvU);
    if (!isComPortName(argvU)) {
        printf("Must be COMXX\n");
        return false;
    }
    setPortName(argvU);
    return true;
}

// Sends single 0x00 bytes and counts what the last read brought back: a
// running firmware answers, a card in boot mode stays silent at 115200.
DWORD probeCard() {
    unsigned char ReadBuf[100];
    DWORD begin = GetTickCount() + 1000;
    DWORD nbBytes = 0;
    for (int i = 0; i < 2; ++i) {
        const unsigned char probe = 0x00;
        lrc = WriteFile(lport, &probe, 1, &lnumbytes, nullptr);
        if (!lrc) break;
        _sleep(kProbeAnswerPauseMs);
        lnumbytes = 0;
        ReadFile(lport, ReadBuf, 50, &lnumbytes, nullptr);
        nbBytes = lnumbytes;
        if (tickPassed(begin)) break;
    }
    return nbBytes;
}

bool applyBaudRate(DWORD rate) {
    lDCB.BaudRate = rate;
    lrc = SetCommState(lport, &lDCB);
    if (!lrc) {
        printf("\nERROR");
        exitStatus = kExitFailed;
    }
    return lrc;
}

// The microcontroller runs only its boot program (or an old firmware that
// does not answer the probe): program its flash through boot mode.
void runBootModePath() {
    printf("\nFlash is not programmed (BOOT MODE) or using old firmware version");
    _sleep(kBeforeBootRateMs);
    if (!applyBaudRate(kBootRate)) return;

    printf("\nMICRO Mode OK...Now starting the FDT programm...\n");
    DWORD begin = GetTickCount();
    int check = FDT(lport, lDCB, ct, lfullportname);
    if (check != kFdtNoBootProgram) {
        printTime(begin, 0);
        return;
    }

    // The boot program never answered: an old firmware may be running. Its
    // menu keys hand the card over to the boot program.
    if (!applyBaudRate(CBR_115200)) return;
    const unsigned char menuKeys[4] = {0x0D, 0x31, 0x24, 0x36};
    for (unsigned char key : menuKeys) {
        lrc = WriteFile(lport, &key, 1, &lnumbytes, nullptr);
        if (!lrc) {
            exitStatus = kExitFailed;
            return;
        }
        _sleep(kMenuKeyPauseMs);
    }
    printf("\nYou are using an old firmware...Now programming the FLASH ...\nBe sure to upload the "
           "most recent firmware ");
    if (!applyBaudRate(kBootRate)) return;
    FDT(lport, lDCB, ct, lfullportname);
}

void printBanner(int devicenumber) {
    const char* model = cardModeName[devicenumber - 1];
    printf("\r\n* * * * * * * * * * * * * * * * * * * * * * * * * * * * *\n");
    if (cardVersion == 2) {
        printf("\t\t\t\t\t\t\t*%c*\t\t\t%s PLUS\n", 13, model);
    } else {
        printf("\t\t\t\t\t\t\t*%c*\t\t\t%s\n", 13, model);
    }
    printf("*\t\t\t\t\t\t\t*\n");
    printf("\t\t\t\t\t\t\t*%c*\tUpdater Version   -> %d.%d\n", 13, kVersionMajor, kVersionMinor);
    printf("*\t\t\t\t\t\t\t*\n");
    if (RDVersion[0] == 'E') {
        printf("\t\t\t\t\t\t\t*%c*\tSoftware Version  -> Unknown\n", 13);
    } else {
        printf("\t\t\t\t\t\t\t*%c*\tSoftware Version  -> %s\n", 13, RDVersion);
    }
    printf("* * * * * * * * * * * * * * * * * * * * * * * * * * * * *\n");
}

// Everything from the open port to the command's end. Returns with the port
// still open; the caller closes it.
void runWithOpenPort(int argc, char* argv[], const char* command) {
    if (!configurePort(true)) {
        exitStatus = kExitFailed;
        return;
    }

    bool micro = std::strcmp(command, "MICRO") == 0;
    if (micro && !microFilesAcceptable()) {
        exitStatus = kExitRefused;
        return;
    }

    DWORD nbBytes = probeCard();
    if (micro && nbBytes < kProbeCount) {
        if (nbBytes == 0) {
            runBootModePath();
            return;
        }
        printf("\nThe BOOT program needs to be reboot  -> Please reboot the card and try again");
        exitStatus = kExitFailed;
        return;
    }

    // A card that never answers keeps the tool here until the operator stops it.
    int devicenumber;
    do {
        devicenumber = DevType();
    } while (devicenumber == kModelUnknown || devicenumber == kNoCommunication);

    if (devicenumber == kOldFirmware) {
        exitStatus = kExitFailed;
        if (micro) {
            // Hand the card over to its boot program for the next run.
            const unsigned char bootKey = 0x36;
            lrc = WriteFile(lport, &bootKey, 1, &lnumbytes, nullptr);
            if (lrc) _sleep(kBootKeyPauseMs);
        } else {
            printf("\nUnsupported feature...Update the firmware version");
        }
        return;
    }

    int DVITOSDI = devicenumber == 1 || devicenumber == 4;
    recordCard(devicenumber);
    printBanner(devicenumber);
    dispatchCommand(argc, argv, command, DVITOSDI);
}

}  // namespace

int runUpdater(int argc, char* argv[]) {
    exitStatus = kExitDone;
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    if (argc < 2) return kExitRefused;
    startRunRecord(argc, argv);
    watchForInterrupt();

    char argvU[kWordArea];
    lport = INVALID_HANDLE_VALUE;
    if (std::strlen(argv[1]) >= kWordArea) {
        printf("Port name too long (99 characters at most)\n");
        exitStatus = kExitRefused;
    } else if (!takePortName(argv[1], argvU)) {
        exitStatus = kExitRefused;
    } else if (argc > 2 && std::strlen(argv[2]) >= kWordArea) {
        printf("Command word too long (99 characters at most)\n");
        exitStatus = kExitRefused;
    } else if (!openPort()) {
        exitStatus = kExitFailed;
    } else {
        if (argc > 2) {
            caseSensitive(argv[2], argvU);
        } else {
            argvU[0] = '\0';
        }
        setRerunCommand(argvU, argc > 3 ? argv[3] : nullptr);
        runWithOpenPort(argc, argv, argvU);
    }

    if (lport != INVALID_HANDLE_VALUE) CloseHandle(lport);
    noteLastLine();
    if (exitStatus != kExitDone && recoveryAdvice()[0] != '\0') printf("\n%s\n", recoveryAdvice());
    printf("\nExit updater\n");
    finishRunRecord(exitStatus);
    return exitStatus;
}
