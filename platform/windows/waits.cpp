// The tool's waits on Windows: the real calls, with standard output flushed
// first and an interrupt acted on.
#include <conio.h>
#include <cstdio>

#include "platform/win32.h"
#include "platform/windows/interrupts.h"

#undef ReadFile
#undef _getch
#undef system

namespace {
constexpr int kInterruptKey = 0x03;  // Ctrl-C, read as a key
}

void win32Sleep(unsigned long milliseconds) {
    std::fflush(stdout);
    windows::sleepOrStop(milliseconds);
}

BOOL win32ReadFile(HANDLE file, LPVOID data, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped) {
    std::fflush(stdout);
    windows::stopIfInterrupted();
    return ::ReadFile(file, data, toRead, read, overlapped);
}

int win32Getch() {
    std::fflush(stdout);
    windows::stopIfInterrupted();
    int key = ::_getch();
    if (key == kInterruptKey) windows::interruptNow();
    windows::stopIfInterrupted();
    return key;
}

int win32System(const char* command) {
    std::fflush(stdout);
    windows::stopIfInterrupted();
    int result = std::system(command);
    windows::stopIfInterrupted();
    return result;
}
