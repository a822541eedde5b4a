#include "sim/cardsim/pseudo_terminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace cardsim {

namespace {
struct Rate {
    speed_t speed;
    std::uint32_t baud;
};
constexpr Rate kRates[] = {
    {B1200, 1200},   {B2400, 2400},   {B4800, 4800},     {B9600, 9600},     {B19200, 19200},
    {B38400, 38400}, {B57600, 57600}, {B115200, 115200}, {B230400, 230400},
};

bool fail(std::string& error, const char* what) {
    error = std::string(what) + ": " + std::strerror(errno);
    return false;
}
}  // namespace

PseudoTerminal::~PseudoTerminal() { close(); }

void PseudoTerminal::close() {
    if (slave_ >= 0) ::close(slave_);
    if (master_ >= 0) ::close(master_);
    slave_ = master_ = -1;
}

bool PseudoTerminal::open(std::string& error) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) return fail(error, "posix_openpt");
    if (::grantpt(master_) != 0) return fail(error, "grantpt");
    if (::unlockpt(master_) != 0) return fail(error, "unlockpt");
    const char* name = ::ptsname(master_);
    if (name == nullptr) return fail(error, "ptsname");
    slavePath_ = name;
    slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY);
    if (slave_ < 0) return fail(error, "open slave");

    termios settings{};
    if (::tcgetattr(slave_, &settings) != 0) return fail(error, "tcgetattr");
    ::cfmakeraw(&settings);
    ::cfsetispeed(&settings, B115200);
    ::cfsetospeed(&settings, B115200);
    if (::tcsetattr(slave_, TCSANOW, &settings) != 0) return fail(error, "tcsetattr");

    int flags = ::fcntl(master_, F_GETFL);
    if (flags < 0 || ::fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0) {
        return fail(error, "fcntl");
    }
    return true;
}

std::uint32_t PseudoTerminal::hostBaud() const {
    termios settings{};
    if (::tcgetattr(master_, &settings) != 0) return 0;
    speed_t speed = ::cfgetospeed(&settings);
    for (const Rate& rate : kRates) {
        if (rate.speed == speed) return rate.baud;
    }
    return 0;
}

}  // namespace cardsim
