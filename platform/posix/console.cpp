// The operator at the console: unechoed keys from a terminal, bytes from a
// pipe, and at the end of input no wait at all.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include "platform/win32.h"

namespace {

constexpr unsigned char kInterrupt = 0x03;  // Ctrl-C, read as a key in non-canonical mode

int readOneByte() {
    unsigned char key;
    ssize_t n;
    do {
        n = ::read(STDIN_FILENO, &key, 1);
    } while (n < 0 && errno == EINTR);
    return n == 1 ? key : EOF;
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
    ::tcsetattr(STDIN_FILENO, TCSANOW, &keyMode);
    int key = readOneByte();
    ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    // Ctrl-C still interrupts, with the terminal put back first.
    if (key == kInterrupt) std::raise(SIGINT);
    return key;
}

HANDLE GetCurrentProcess() { return INVALID_HANDLE_VALUE; }

// Best effort: raising the priority needs privileges the operator may not
// have, and the tool does not report the result.
BOOL SetPriorityClass(HANDLE, DWORD) {
    ::setpriority(PRIO_PROCESS, 0, -10);
    return TRUE;
}
