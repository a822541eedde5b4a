#include "sim/cardsim/stop_signal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace cardsim {

namespace {
int writeEnd = -1;

void onStop(int) {
    int saved = errno;
    char byte = 1;
    [[maybe_unused]] ssize_t written = ::write(writeEnd, &byte, 1);
    errno = saved;
}
}  // namespace

StopSignal::~StopSignal() {
    if (readEnd_ >= 0) ::close(readEnd_);
}

bool StopSignal::install(std::string& error) {
    int ends[2];
    if (::pipe(ends) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    for (int end : ends) {
        ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
    }
    readEnd_ = ends[0];
    writeEnd = ends[1];

    struct sigaction action {};
    action.sa_handler = onStop;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        if (::sigaction(signal, &action, nullptr) != 0) {
            error = std::string("sigaction: ") + std::strerror(errno);
            return false;
        }
    }
    return true;
}

}  // namespace cardsim
