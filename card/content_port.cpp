#include "card/content_port.h"

#include <cstring>

#include "port/console.h"
#include "port/exit_status.h"
#include "port/interrupt_note.h"
#include "port/port.h"

namespace {
constexpr DWORD kTransferTimeoutMs = 50;
constexpr DWORD kDrainChunk = 2048;
constexpr DWORD kFailedReadPauseMs = 1;
}  // namespace

BOOL setTransferTimeouts() {
    ct.ReadIntervalTimeout = 0;
    ct.ReadTotalTimeoutMultiplier = 0;
    ct.ReadTotalTimeoutConstant = kTransferTimeoutMs;
    ct.WriteTotalTimeoutMultiplier = 0;
    ct.WriteTotalTimeoutConstant = kTransferTimeoutMs;
    return SetCommTimeouts(lport, &ct);
}

bool writeByte(unsigned char byte) {
    lnumbytes = 0;
    lrc = WriteFile(lport, &byte, 1, &lnumbytes, nullptr);
    return lrc && lnumbytes == 1;
}

LineRead readOne(unsigned char& byte) {
    lnumbytes = 0;
    if (!ReadFile(lport, &byte, 1, &lnumbytes, nullptr)) {
        _sleep(kFailedReadPauseMs);
        return LineRead::kFailed;
    }
    return lnumbytes == 1 ? LineRead::kByte : LineRead::kNothing;
}

bool drainBefore(DWORD deadline) {
    for (;;) {
        lnumbytes = 0;
        if (!ReadFile(lport, buffer, kDrainChunk, &lnumbytes, nullptr) || lnumbytes == 0) return true;
        if (tickPassed(deadline)) return false;
    }
}

bool awaitOneOf(const char* wanted, DWORD deadline, unsigned char& got) {
    for (;;) {
        if (readOne(got) == LineRead::kByte && got != '\0' && std::strchr(wanted, got) != nullptr) return true;
        if (tickPassed(deadline)) return false;
    }
}

void pressAnyKeyToContinue() {
    printf("\nPress any key to continue\n");
    _getch();
}

void printVerdict(unsigned char verdict) {
    if (verdict == 'E') {
        printf("Failed\n");
        exitStatus = kExitFailed;
        return;
    }
    clearInterruptRisk();
    printf("Success\n");
}
