#include "port/port.h"

#include <cstring>

#include "port/console.h"

char lportname[256];
char lfullportname[256];
HANDLE lport = INVALID_HANDLE_VALUE;
DCB lDCB;
COMMTIMEOUTS ct;
BOOL lrc;
DWORD lnumbytes;
unsigned char buffer[262144];

BOOL openPort() {
    lport = CreateFileA(lfullportname, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (lport != INVALID_HANDLE_VALUE) return TRUE;
    char error[256];
    errorCheck(error);
    printf("Failed to open %s :  %s\n", lportname, error);
    return FALSE;
}

namespace {

BOOL setTimeouts(DWORD interval, DWORD multiplier, DWORD constant, DWORD writeMultiplier, DWORD writeConstant) {
    ct.ReadIntervalTimeout = interval;
    ct.ReadTotalTimeoutMultiplier = multiplier;
    ct.ReadTotalTimeoutConstant = constant;
    ct.WriteTotalTimeoutMultiplier = writeMultiplier;
    ct.WriteTotalTimeoutConstant = writeConstant;
    return SetCommTimeouts(lport, &ct);
}

}  // namespace

BOOL setPollingTimeouts() { return setTimeouts(MAXDWORD, MAXDWORD, 1, 100, 0); }

BOOL setTransferTimeouts() { return setTimeouts(0, 0, 50, 0, 50); }

BOOL setDownloadTimeouts() { return setTimeouts(0, 0, 1, 0, 1); }

BOOL configurePort(bool stopAtFailure) {
    BOOL configured = TRUE;

    lDCB.DCBlength = 28;
    lrc = GetCommState(lport, &lDCB);
    if (!lrc) {
        printf("Failed to get port status : error %ld  \n", static_cast<long>(GetLastError()));
        if (stopAtFailure) return FALSE;
        configured = FALSE;
    }

    lDCB.BaudRate = CBR_115200;
    lDCB.ByteSize = 8;
    lDCB.Parity = NOPARITY;
    lDCB.StopBits = ONESTOPBIT;
    lDCB.fRtsControl = RTS_CONTROL_DISABLE;
    lrc = SetCommState(lport, &lDCB);
    if (!lrc) {
        printf("Failed to set port state : error %ld\n", static_cast<long>(GetLastError()));
        if (stopAtFailure) return FALSE;
        configured = FALSE;
    }

    lrc = setPollingTimeouts();
    if (!lrc) {
        printf("Failed to set timeout : error %ld\n", static_cast<long>(GetLastError()));
        configured = FALSE;
    }
    return configured;
}

bool writeByte(unsigned char byte) {
    lnumbytes = 0;
    lrc = WriteFile(lport, &byte, 1, &lnumbytes, nullptr);
    return lrc && lnumbytes == 1;
}

bool writeAll(const unsigned char* bytes, DWORD length) {
    DWORD offset = 0;
    while (offset != length) {
        lnumbytes = 0;
        lrc = WriteFile(lport, bytes + offset, length - offset, &lnumbytes, nullptr);
        if (!lrc || lnumbytes == 0) return false;
        offset += lnumbytes;
    }
    return true;
}

DWORD readSome(unsigned char* into, DWORD count) {
    lnumbytes = 0;
    if (!ReadFile(lport, into, count, &lnumbytes, nullptr)) {
        _sleep(1);
        return 0;
    }
    return lnumbytes < count ? lnumbytes : count;
}

LineRead readOne(unsigned char& byte) {
    lnumbytes = 0;
    if (!ReadFile(lport, &byte, 1, &lnumbytes, nullptr)) {
        _sleep(1);
        return LineRead::kFailed;
    }
    return lnumbytes == 1 ? LineRead::kByte : LineRead::kNothing;
}

bool drainPort(DWORD chunk, DWORD deadline) {
    if (chunk > sizeof buffer) chunk = sizeof buffer;
    for (;;) {
        lnumbytes = 0;
        if (!ReadFile(lport, buffer, chunk, &lnumbytes, nullptr) || lnumbytes == 0) return true;
        if (tickPassed(deadline)) return false;
    }
}

bool awaitOneOf(const char* wanted, DWORD deadline, unsigned char& got) {
    for (;;) {
        if (readOne(got) == LineRead::kByte && got != '\0' && std::strchr(wanted, got) != nullptr) return true;
        if (tickPassed(deadline)) return false;
    }
}
