#include "boot/boot_link.h"

#include "port/console.h"
#include "port/port.h"

bool sendByte(HANDLE port, unsigned char byte) {
    lnumbytes = 0;
    lrc = WriteFile(port, &byte, 1, &lnumbytes, nullptr);
    return lrc && lnumbytes == 1;
}

DWORD readInto(HANDLE port, unsigned char* into, DWORD count) {
    lnumbytes = 0;
    if (ReadFile(port, into, count, &lnumbytes, nullptr)) return lnumbytes < count ? lnumbytes : count;
    _sleep(1);
    return 0;
}

bool awaitByte(HANDLE port, unsigned char* ReadBuf, unsigned char awaited, DWORD limitMs) {
    DWORD deadline = GetTickCount() + limitMs;
    ReadBuf[0] = kSentinel;
    readByte(port, ReadBuf);
    while (ReadBuf[0] != awaited && !tickPassed(deadline)) readByte(port, ReadBuf);
    return ReadBuf[0] == awaited;
}

bool readAnswer(HANDLE port, unsigned char* ReadBuf, DWORD limitMs) {
    DWORD deadline = GetTickCount() + limitMs;
    ReadBuf[0] = kSentinel;
    DWORD got = 0;
    while (got < kAnswerLength) {
        if (tickPassed(deadline)) return false;
        got += readInto(port, ReadBuf + got, kAnswerLength - got);
    }
    return true;
}

int answerSumExpected(const unsigned char* ReadBuf) {
    return 256 - (ReadBuf[0] + ReadBuf[1] + ReadBuf[2] + ReadBuf[3]);
}

bool stepFailed(const char* text) {
    printf("%s", text);
    return false;
}
