#include "platform/posix/interrupts.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include "platform/host/interrupt_line.h"
#include "platform/win32.h"

namespace {

constexpr unsigned kGraceSeconds = 2;
constexpr int kWatched[] = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t pendingSignal = 0;
int wakeRead = -1;
int wakeWrite = -1;

void (*recordEnd)(int status) = nullptr;

volatile sig_atomic_t consoleSaved = 0;
termios savedConsole{};

void restoreConsole() {
    if (consoleSaved) ::tcsetattr(STDIN_FILENO, TCSANOW, &savedConsole);
}

// Ends the process by `signal` itself, so that its parent sees what ended it
// (a shell stops a script on a SIGINT death); 128 + signal if that fails.
[[noreturn]] void dieBy(int signal) {
    ::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
    ::_exit(128 + signal);
}

void writeAll(const char* text, std::size_t length) {
    while (length > 0) {
        ssize_t n = ::write(STDOUT_FILENO, text, length);
        if (n <= 0) return;
        text += n;
        length -= static_cast<std::size_t>(n);
    }
}

// From a signal handler: what stdio still holds is lost, the line is not.
[[noreturn]] void leaveAtOnce(int signal) {
    restoreConsole();
    const char* line = host::interruptLine();
    std::size_t length = 0;
    while (length < host::kInterruptLineSize - 1 && line[length] != '\0') ++length;
    writeAll("\n", 1);
    writeAll(line, length);
    writeAll("\n", 1);
    dieBy(signal);
}

void onInterrupt(int signal) {
    if (pendingSignal != 0) leaveAtOnce(pendingSignal);  // a second interrupt: no more waiting
    pendingSignal = signal;
    int saved = errno;
    const char byte = 1;
    [[maybe_unused]] ssize_t written = ::write(wakeWrite, &byte, 1);
    errno = saved;
    ::alarm(kGraceSeconds);
}

void onGraceOver(int) { leaveAtOnce(pendingSignal); }

void handle(int signal, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (int watched : kWatched) sigaddset(&action.sa_mask, watched);
    sigaddset(&action.sa_mask, SIGALRM);
    // No SA_RESTART: a blocking call returns with EINTR and the wait checks.
    ::sigaction(signal, &action, nullptr);
}

}  // namespace

void watchInterrupts() {
    if (wakeRead >= 0) return;
    int ends[2];
    if (::pipe(ends) != 0) return;  // without it, signals end the run as by default
    for (int end : ends) {
        ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
    }
    wakeRead = ends[0];
    wakeWrite = ends[1];
    for (int signal : kWatched) {
        struct sigaction current {};
        ::sigaction(signal, nullptr, &current);
        // A signal ignored from the start (a background job) stays ignored.
        if (current.sa_handler != SIG_IGN) handle(signal, onInterrupt);
    }
    handle(SIGALRM, onGraceOver);
}

void atInterruptEnd(void (*record)(int status)) { recordEnd = record; }

namespace posix {

int interruptFd() { return wakeRead; }

void stopIfInterrupted() {
    int signal = pendingSignal;
    if (signal == 0) return;
    host::printInterruptLine();
    restoreConsole();
    if (recordEnd != nullptr) recordEnd(128 + signal);
    dieBy(signal);
}

void consoleChanged(const termios& saved) {
    savedConsole = saved;
    consoleSaved = 1;
}

void consoleRestored() { consoleSaved = 0; }

}  // namespace posix
