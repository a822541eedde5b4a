#include "platform/windows/interrupts.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr DWORD kGraceMs = 2000;
constexpr UINT kInterruptedStatus = 130;

char line[512] = "Interrupted.";
volatile LONG pending = 0;
volatile LONG ending = 0;
HANDLE wake = nullptr;  // set when an interrupt arrives
HANDLE console = INVALID_HANDLE_VALUE;
DWORD consoleMode = 0;
bool haveConsoleMode = false;
void (*recordEnd)(int status) = nullptr;

// Prints the line and exits; whichever thread comes first does it, the other
// waits for the process to end. The run's record is written only from the
// tool's own thread, which the handler's thread would otherwise race.
[[noreturn]] void endRun(bool onToolThread) {
    if (InterlockedExchange(&ending, 1) != 0) {
        for (;;) Sleep(INFINITE);
    }
    std::fflush(stdout);
    printf("\n%s\n", line);
    std::fflush(stdout);
    if (haveConsoleMode) SetConsoleMode(console, consoleMode);
    if (onToolThread && recordEnd != nullptr) recordEnd(kInterruptedStatus);
    ExitProcess(kInterruptedStatus);
}

BOOL WINAPI onConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT: break;
    default: return FALSE;
    }
    if (InterlockedExchange(&pending, 1) != 0) endRun(false);  // a second interrupt: no more waiting
    SetEvent(wake);
    Sleep(kGraceMs);
    endRun(false);
}

}  // namespace

void watchInterrupts() {
    if (wake != nullptr) return;
    wake = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (wake == nullptr) return;  // without it, Windows ends the run as by default
    console = GetStdHandle(STD_INPUT_HANDLE);
    haveConsoleMode = GetConsoleMode(console, &consoleMode) != 0;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

void atInterruptEnd(void (*record)(int status)) { recordEnd = record; }

void setInterruptLine(const char* text) {
    std::strncpy(line, text, sizeof line - 1);
    line[sizeof line - 1] = '\0';
}

namespace windows {

void sleepOrStop(DWORD milliseconds) {
    stopIfInterrupted();
    if (wake == nullptr) {
        Sleep(milliseconds);
        return;
    }
    if (WaitForSingleObject(wake, milliseconds) == WAIT_OBJECT_0) endRun(true);
}

void stopIfInterrupted() {
    if (pending != 0) endRun(true);
}

void interruptNow() {
    InterlockedExchange(&pending, 1);
    endRun(true);
}

}  // namespace windows
