// The real binaries as separate processes: cardsim on a pty, and one run of
// updater against it with its output and exit status.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// A running cardsim, stopped (SIGTERM) when this goes away.
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

// Runs updater with `args` in `dir`, with `input` on its standard input. A
// run still going after two minutes is killed (SIGALRM).
ProcessResult runUpdater(const std::string& dir, const std::vector<std::string>& args,
                         const std::string& input = "");

// The whole content of the file at `path` (empty when it cannot be read).
std::string readWholeFile(const std::string& path);

// Runs a program with `args` in `dir` and returns what it printed.
ProcessResult runProgram(const std::string& program, const std::string& dir,
                         const std::vector<std::string>& args, const std::string& input = "");
