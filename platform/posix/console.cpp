// The operator at the console: unechoed keys from a terminal, bytes from a
// pipe, and at the end of input no wait at all. An interrupt while the tool
// waits for a key ends the run with the console's mode put back.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include "platform/posix/interrupts.h"
#include "platform/posix/waiting.h"
#include "platform/win32.h"

namespace {

constexpr unsigned char kInterrupt = 0x03;  // Ctrl-C, read as a key in non-canonical mode
constexpr std::uint64_t kKeyWaitMs = 1u << 30;

int readOneByte() {
    for (;;) {
        int ready = posix::waitFor(STDIN_FILENO, POLLIN, kKeyWaitMs);
        if (ready < 0) return EOF;
        if (ready == 0) continue;  // nobody has pressed a key for twelve days
        unsigned char key;
        ssize_t n = ::read(STDIN_FILENO, &key, 1);
        if (n == 1) return key;
        if (n == 0 || (errno != EINTR && errno != EAGAIN)) return EOF;
    }
}

}  // namespace

int _getch() {
    std::fflush(stdout);
    termios saved{};
    if (::tcgetattr(STDIN_FILENO, &saved) != 0) return readOneByte();  // not a terminal

    termios keyMode = saved;
    keyMode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG);
    keyMode.c_cc[VMIN] = 1;
    keyMode.c_cc[VTIME] = 0;
    posix::consoleChanged(saved);
    ::tcsetattr(STDIN_FILENO, TCSANOW, &keyMode);
    int key = readOneByte();
    ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    posix::consoleRestored();
    // Ctrl-C still interrupts, with the terminal put back first.
    if (key == kInterrupt) {
        std::raise(SIGINT);
        posix::stopIfInterrupted();
    }
    return key;
}

HANDLE GetCurrentProcess() { return INVALID_HANDLE_VALUE; }

// Best effort: raising the priority needs privileges the operator may not
// have, and the tool does not report the result.
BOOL SetPriorityClass(HANDLE, DWORD) {
    ::setpriority(PRIO_PROCESS, 0, -10);
    return TRUE;
}
