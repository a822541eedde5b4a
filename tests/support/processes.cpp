#include "tests/support/processes.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <stdexcept>
#include <sys/stat.h>
#include <termios.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#ifdef __APPLE__
#include <util.h>
#else
#include <pty.h>
#endif

#include "sim/memory/state_file.h"

namespace {

constexpr unsigned kRunLimitSeconds = 120;

// Runs `program` with `args` in `dir` in place of this (child) process;
// killed after `limitSeconds` (0: never).
[[noreturn]] void execIn(const std::string& dir, const std::string& program, const std::vector<std::string>& args,
                         unsigned limitSeconds = kRunLimitSeconds) {
    std::vector<std::string> words{program};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    if (chdir(dir.c_str()) != 0) _exit(126);
    alarm(limitSeconds);  // a run that never ends is killed, not waited for
    execv(argv[0], argv.data());
    _exit(127);
}

}  // namespace

Cardsim::Cardsim(const std::string& dir, const std::vector<std::string>& options) : link_(dir + "/card") {
    std::vector<std::string> args{"--link", link_};
    args.insert(args.end(), options.begin(), options.end());
    pid_ = fork();
    if (pid_ == 0) {
        dup2(open("/dev/null", O_WRONLY), STDOUT_FILENO);
        dup2(open((dir + "/cardsim.err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
        execIn(dir, CARDSIM_BIN, args, 0);
    }
    struct stat info;
    for (int i = 0; i < 500 && lstat(link_.c_str(), &info) != 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (lstat(link_.c_str(), &info) != 0) throw std::runtime_error("cardsim did not start");
}

Cardsim::~Cardsim() {
    if (pid_ > 0) stop();
}

int Cardsim::stop() {
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void writeImage(const std::string& path, std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 131 + (i >> 7));
    sim::writeFile(path, bytes);
}

ProcessResult runProgram(const std::string& program, const std::string& dir, const std::vector<std::string>& args,
                         const std::string& input, bool (*inChild)()) {
    int toChild[2];
    int fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) throw std::runtime_error("pipe");
    pid_t pid = fork();
    if (pid == 0) {
        dup2(toChild[0], STDIN_FILENO);
        dup2(fromChild[1], STDOUT_FILENO);
        close(toChild[1]);
        close(fromChild[0]);
        if (inChild && !inChild()) _exit(125);
        execIn(dir, program, args);
    }
    close(toChild[0]);
    close(fromChild[1]);
    if (!input.empty() && write(toChild[1], input.data(), input.size()) < 0) {
        throw std::runtime_error("write to child");
    }
    close(toChild[1]);
    std::string output;
    char chunk[4096];
    ssize_t n;
    while ((n = read(fromChild[0], chunk, sizeof chunk)) > 0) output.append(chunk, n);
    close(fromChild[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return {output, WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)};
}

TerminalRun::TerminalRun(const std::string& dir, const std::vector<std::string>& args) {
    pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ < 0) throw std::runtime_error("forkpty");
    if (pid_ == 0) execIn(dir, UPDATER_BIN, args);
}

TerminalRun::~TerminalRun() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
}

int TerminalRun::readSome(int timeoutMs) {
    pollfd watched{master_, POLLIN, 0};
    if (poll(&watched, 1, timeoutMs) <= 0) return 0;
    char chunk[4096];
    ssize_t n = read(master_, chunk, sizeof chunk);
    if (n <= 0) return -1;  // EIO once the tool has gone
    output_.append(chunk, static_cast<std::size_t>(n));
    return 1;
}

bool TerminalRun::waitFor(const std::string& text) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (output_.find(text) == std::string::npos) {
        if (readSome(1000) < 0 || std::chrono::steady_clock::now() > deadline) return false;
    }
    return true;
}

void TerminalRun::type(const std::string& keys) {
    if (write(master_, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size())) {
        throw std::runtime_error("write to the terminal");
    }
}

void TerminalRun::signal(int number) { kill(pid_, number); }

ProcessResult TerminalRun::finish() {
    while (readSome(kRunLimitSeconds * 1000) > 0) {
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return {output_, WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)};
}

unsigned long TerminalRun::localModes() const {
    termios mode{};
    tcgetattr(master_, &mode);
    return mode.c_lflag;
}
