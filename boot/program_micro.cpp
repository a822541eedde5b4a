// MICRO on a card that runs its firmware: the firmware is asked to hand
// the card over to its boot program, the port goes to 9600 bit/s, and the
// boot-mode programmer takes over.
#include <cstdio>
#include <cstring>

#include "boot/commands.h"
#include "port/console.h"
#include "port/port.h"

namespace {

// The firmware answers "#MICROMODE" within this pause; after "#MICRO" it
// hands over to the boot program within the same time.
constexpr DWORD kModeAnswerPauseMs = 50;
constexpr DWORD kBootStartPauseMs = 50;
constexpr DWORD kBootRate = 9600;

// One write of the whole command; false when it did not all go out.
bool sendCommand(const char* cmd) {
    DWORD ret = 0;
    DWORD length = static_cast<DWORD>(std::strlen(cmd));
    lrc = WriteFile(lport, cmd, length, &ret, nullptr);
    return lrc && ret == length;
}

}  // namespace

void ProgramMicro() {
    DWORD begin = GetTickCount();
    exitStatus = kExitFailed;

    char cmd[20];
    std::snprintf(cmd, sizeof cmd, "#MICROMODE\r");
    if (!sendCommand(cmd)) return;
    _sleep(kModeAnswerPauseMs);
    unsigned char ReadBuf[50];
    DWORD ret = 0;
    ReadFile(lport, ReadBuf, sizeof ReadBuf, &ret, nullptr);
    if (ret > 0) {
        std::snprintf(cmd, sizeof cmd, "#MICRO\r");
        if (!sendCommand(cmd)) return;
        _sleep(kBootStartPauseMs);
    }

    lDCB.BaudRate = kBootRate;
    lrc = SetCommState(lport, &lDCB);
    if (!lrc) {
        printf("Failed to set port state : error %ld\n", static_cast<long>(GetLastError()));
        return;
    }
    FDT(lport, lDCB, ct, lfullportname);
    printTime(begin, 1);
}
