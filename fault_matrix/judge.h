// What a run of the matrix comes to, judged from its exit status, what the
// tool printed and what the card holds afterwards.
#pragma once

#include <string>

#include "fault_matrix/run.h"
#include "fault_matrix/scenario.h"

namespace matrix {

enum class Verdict {
    kTrueSuccess,      // exit 0, every memory written equal to its file
    kReportedFailure,  // exit 1 or 2 with a failure text on the console, or the card's FPGA verdict
    kFalseSuccess,     // exit 0 while the card does not hold what was asked
    kHang,             // no end within the command's bound
    kCollateral,       // a memory the command was not asked to write changed
    kWrongCount,       // VERIFY's finished total is not the true count
    kUnexplained,      // none of the above: a failure without a failure text, a crash
};
constexpr int kVerdictCount = 7;

const char* verdictName(Verdict verdict);

struct Judgement {
    Verdict verdict = Verdict::kUnexplained;
    // Stopped at the bound inside one of the two loops that wait for the
    // operator without end (identification of a card that never answers,
    // the boot program's communication check after its first time-out).
    bool operatorStop = false;
    std::string why;  // for the report, when the verdict is not a plain one
};

Judgement judge(const Scenario& scenario, const RunResult& run);

}  // namespace matrix
