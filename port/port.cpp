#include "port/port.h"

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

BOOL setPollingTimeouts() {
    ct.ReadIntervalTimeout = MAXDWORD;
    ct.ReadTotalTimeoutMultiplier = MAXDWORD;
    ct.ReadTotalTimeoutConstant = 1;
    ct.WriteTotalTimeoutMultiplier = 100;
    ct.WriteTotalTimeoutConstant = 0;
    return SetCommTimeouts(lport, &ct);
}

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
