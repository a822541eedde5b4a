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
    off_t offset = 0;
    ssize_t n;
    while ((n = pread(fileFd_, chunk, sizeof chunk, offset)) > 0) {
        out.append(chunk, static_cast<std::size_t>(n));
        offset += n;
    }
    return out;
}
