// One run of the tool against the card model on the simulated clock, in a
// fresh process of its own: nothing of one run reaches the next. The
// process works in a directory of its own holding the update files, the
// card's memories (state/), what the tool printed (console.txt) and how
// long the run took on the simulated clock (simulated-ms).
#pragma once

#include <string>
#include <sys/types.h>

#include "fault_matrix/memories.h"
#include "fault_matrix/scenario.h"

namespace matrix {

struct RunResult {
    int status = -1;              // the exit status, or 128 + the signal that ended the process
    bool stoppedByGuard = false;  // still going after the real-time guard: killed
    std::string console;
    Memories after;
    std::string textLog;  // the card's log of text commands (remote.log)
    double simulatedSeconds = 0;
    double realSeconds = 0;
    std::string timingViolations;  // the bytes the card lost because the tool did not give it a pause, a line each
};

// Fills `dir` (which must not exist) with the scenario's files and the
// card's memories, and starts the run there in a child process, which is
// interrupted, as the operator would, at the scenario's bound. Returns the
// child's process id, or -1.
pid_t startRun(const Scenario& scenario, const std::string& dir);

// What the run in `dir` left, given how its process ended.
RunResult collectRun(const std::string& dir, int waitStatus, bool stoppedByGuard, double realSeconds);

// Removes a run's directory and everything in it.
void removeRunDir(const std::string& dir);

}  // namespace matrix
