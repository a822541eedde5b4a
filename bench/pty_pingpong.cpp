// The ceiling for request-and-reply traffic over a pseudo-terminal on this
// machine: a host sends a read request of the size the tool sends, a peer
// process answers with a reply of the size the card sends, as fast as both
// can. Prints exchanges per second.
//
//   pty_pingpong [EXCHANGES]
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

// The encoded read request and an encoded 16-word data reply, framed as on the wire.
const std::string kRequest = "=G" + std::string(6, 'r') + "\r";
const std::string kReply = "=G" + std::string(38, 'd') + "\r";

void makeRaw(int fd) {
    termios settings;
    tcgetattr(fd, &settings);
    cfmakeraw(&settings);
    cfsetspeed(&settings, B115200);
    tcsetattr(fd, TCSANOW, &settings);
}

// Reads until a carriage return closes the frame; false at end of input.
bool readFrame(int fd) {
    char chunk[256];
    for (;;) {
        pollfd waitFor{fd, POLLIN, 0};
        if (poll(&waitFor, 1, 1000) <= 0) return false;
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n <= 0) return false;
        if (chunk[n - 1] == '\r') return true;
    }
}

bool writeAll(int fd, const std::string& bytes) {
    return write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
}

double seconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char* argv[]) {
    long exchanges = argc > 1 ? std::atol(argv[1]) : 65536;
    int master;
    int slave;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    makeRaw(slave);

    pid_t peer = fork();
    if (peer == 0) {
        close(slave);
        while (readFrame(master) && writeAll(master, kReply)) {
        }
        _exit(0);
    }
    close(master);

    double start = seconds();
    for (long i = 0; i < exchanges; ++i) {
        if (!writeAll(slave, kRequest) || !readFrame(slave)) {
            std::fprintf(stderr, "exchange %ld failed\n", i);
            return 1;
        }
    }
    double elapsed = seconds() - start;
    close(slave);
    waitpid(peer, nullptr, 0);
    std::printf("%.0f\n", static_cast<double>(exchanges) / elapsed);
    return 0;
}
