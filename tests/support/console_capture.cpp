#include "tests/support/console_capture.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

ConsoleCapture::ConsoleCapture() {
    std::fflush(stdout);
    char path[] = "/tmp/updater-capture-XXXXXX";
    fileFd_ = mkstemp(path);
    if (fileFd_ < 0) throw std::runtime_error("cannot create a capture file");
    unlink(path);
    savedFd_ = dup(STDOUT_FILENO);
    dup2(fileFd_, STDOUT_FILENO);
}

ConsoleCapture::~ConsoleCapture() {
    std::fflush(stdout);
    dup2(savedFd_, STDOUT_FILENO);
    close(savedFd_);
    close(fileFd_);
}

std::string ConsoleCapture::text() {
    std::fflush(stdout);
    std::string out;
    char chunk[4096];
    ssize_t n;
    for (off_t at = 0; (n = pread(fileFd_, chunk, sizeof chunk, at)) > 0; at += n) out.append(chunk, n);
    return out;
}
