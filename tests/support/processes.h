// The real binaries as separate processes, for the end-to-end tests in their
// work directories: cardsim on a pty, and one run of updater against it with
// its output and exit status.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

#include "tests/support/work_dir.h"

// A running cardsim, stopped (SIGTERM) when this goes away; what it prints
// on standard error goes to cardsim.err in its directory.
class Cardsim {
public:
    // Starts cardsim with `options` and a --link in `dir`; waits for the link.
    Cardsim(const std::string& dir, const std::vector<std::string>& options);
    ~Cardsim();
    Cardsim(const Cardsim&) = delete;
    Cardsim& operator=(const Cardsim&) = delete;

    const std::string& link() const { return link_; }

    // Stops it with SIGTERM and returns its exit status.
    int stop();

private:
    pid_t pid_ = -1;
    std::string link_;
};

struct ProcessResult {
    std::string output;
    int status;
};

// Writes a device image of `size` pseudo-random bytes at `path`.
void writeImage(const std::string& path, std::size_t size);

// Runs a program with `args` in `dir`, `input` on its standard input, `inChild` first
// (false: status 125); killed after two minutes.
ProcessResult runProgram(const std::string& program, const std::string& dir, const std::vector<std::string>& args,
                         const std::string& input = "", bool (*inChild)() = nullptr);

// updater on a pseudo-terminal of its own, as an operator runs it from a
// terminal: its output is read from the terminal, keys are typed into it.
class TerminalRun {
public:
    TerminalRun(const std::string& dir, const std::vector<std::string>& args);
    ~TerminalRun();
    TerminalRun(const TerminalRun&) = delete;
    TerminalRun& operator=(const TerminalRun&) = delete;

    // Reads until `text` appears; false when it ended or a minute passed first.
    bool waitFor(const std::string& text);
    void type(const std::string& keys);
    void signal(int number);

    // Reads to the end: its whole output and status (128 + a signal that ended it).
    ProcessResult finish();

    // The terminal's local modes (ICANON, ECHO, ISIG ...) now.
    unsigned long localModes() const;

private:
    // 1: read some output; 0: none came within `timeoutMs`; -1: it has ended.
    int readSome(int timeoutMs);
    pid_t pid_ = -1;
    int master_ = -1;
    std::string output_;
};
