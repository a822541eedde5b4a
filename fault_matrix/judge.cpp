#include "fault_matrix/judge.h"

#include <bit>
#include <cstdio>

namespace matrix {

namespace {

constexpr int kInterrupted = 130;

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

// Texts by which the tool tells a failure; a run that fails without any of
// them has failed silently.
const char* const kFailureTexts[] = {
    "Unable",
    "ERROR",
    "Error",
    "error :",
    "Time Out",
    "Time out",
    "Timeout",
    "NACK",
    "Bad ",
    "Failed",
    "not setted",
    "never falls silent",
    "does not fall silent",
    "No request from the card",
    "stopped inside",
    "Please reboot",
    "Unsupported feature",
    "Interrupted",
    "Press a key to continue",
    "Press any key to continue",
    "doesn't",
    "ACK NOT",
    "too large",
    "too small",
    "is empty",
    "cannot be read",
    "Invalid",
    "Incompatible",
    "corrupted",
    "Mismatch Total",
    "No update available",
    "Taille du fichier",
    "You are using an old firmware version",
};

bool showsFailure(const std::string& console) {
    for (const char* text : kFailureTexts) {
        if (contains(console, text)) return true;
    }
    return false;
}

const std::string kIdentifying = "\nNow communicating with the card to obtain version information...";
const std::string kBootReminder =
    "\nTime out...No old firmware...No communication..Reboot the card and try again..."
    "\nBe sure that the jumpers for the RS-232 commmunications are at the right place";

// The console up to the interrupt line the platform printed at the bound.
bool interruptedAtBound(const RunResult& run, std::string& before) {
    if (run.status != kInterrupted) return false;
    std::size_t line = run.console.rfind("\nInterrupted");
    if (line == std::string::npos) return false;
    before = run.console.substr(0, line);
    return true;
}

// A failed run that leaves the card at risk ends with the advice of what to
// run again ("device 5 may be partly written: run VIPER Device5.bin
// again."), just before the run's end.
bool endsWithAdvice(const std::string& console) {
    const std::string end = " again.\n\nExit updater\n";
    std::size_t line = console.rfind('\n', console.size() - end.size());
    bool ends = console.size() > end.size() && console.compare(console.size() - end.size(), end.size(), end) == 0;
    return ends && line != std::string::npos &&
           console.find(": run ", line) < console.size() - end.size();
}

// Identification of a card that never gives its model: attempt after
// attempt, each with its failure text, no banner.
bool inIdentificationLoop(const std::string& console) {
    if (contains(console, "* * * * *") || countOf(console, kIdentifying) < 2) return false;
    return contains(console, "\nError no communication with the device") ||
           contains(console, "\nERROR CARD MODEL UNKNOWN");
}

// The boot program's communication check after its first time-out: the
// reminder again and again, nothing else after it.
bool inBootReminderLoop(const std::string& console) {
    std::size_t first = console.find(kBootReminder);
    if (first == std::string::npos) return false;
    std::string rest = console.substr(first);
    std::size_t reminders = countOf(rest, kBootReminder);
    return reminders >= 2 && rest.size() == reminders * kBootReminder.size();
}

// VERIFY's closing total, or -1 when it printed none.
long finishedTotal(const std::string& console) {
    const std::string closing = "Job at 100% ----- Mismatch Total ";
    std::size_t at = console.rfind(closing);
    if (at == std::string::npos) return -1;
    return std::strtol(console.c_str() + at + closing.size(), nullptr, 10);
}

const char* osdLoadText(unsigned value) {
    static const char* const kTexts[7] = {"OSD Load Table OK",
                                          "No load data table entry in configuration info",
                                          "Load table corrupted or absent",
                                          "Load table empty",
                                          "Load table too big",
                                          "Memory overflow",
                                          "Awaiting trigger of manual OSD bulk load"};
    return value < 7 ? kTexts[value] : "Error Unknown";
}

const char* configText(unsigned value) {
    static const char* const kTexts[5] = {"Insystem program mode", "Configuration in progress",
                                          "Configuration complete", "Configuration error",
                                          "Firmware incompatible with device type"};
    return value < 5 ? kTexts[value] : "Error Unknown";
}

// The last report STATUS printed, by which the run ends, shows what the
// card's video processor holds.
bool reportsTrue(const Scenario& s, const std::string& console, std::string& why) {
    const std::string heading = "/********** VXP STATUS ***********/";
    const sim::CardOptions& card = s.card;
    char type[16];
    std::snprintf(type, sizeof type, "GF%x", static_cast<unsigned>(card.vxpDeviceType));
    std::size_t at = console.rfind(heading);
    if (at == std::string::npos) {
        why = "no report";
        return false;
    }
    std::size_t end = console.find("END OF VXP STATUS", at);
    std::string report = console.substr(at, end == std::string::npos ? std::string::npos : end - at);
    std::size_t detected = countOf(report, " Detected") - countOf(report, "Not Detected");
    std::size_t passed = countOf(report, ": Passed");
    bool right = contains(report, "Device Name         -> " + card.vxpName) &&
                 contains(report, std::string("Device Type         -> ") + type + "\n") &&
                 contains(report, std::string("OSD Load Status     -> ") + osdLoadText(card.vxpStatus >> 8)) &&
                 contains(report, std::string("Config Status       -> ") + configText(card.vxpStatus & 0xFF)) &&
                 detected == static_cast<std::size_t>(std::popcount(card.vxpMemoryFlags & 0x7FFFu)) &&
                 passed == static_cast<std::size_t>(std::popcount(card.osdCalibration & 0xFu) +
                                                    std::popcount(card.videoCalibration & 0x3FFu));
    if (!right) why = "the last report differs from the card's";
    return right;
}

// The card took every command of the script, as written, and acknowledged it.
bool scriptTaken(const Scenario& s, const std::string& log, std::string& why) {
    std::vector<std::string> taken;
    std::size_t from = 0;
    for (std::size_t end = log.find('\n'); end != std::string::npos; from = end + 1, end = log.find('\n', from)) {
        std::string line = log.substr(from, end - from);
        if (line.rfind("#DEVERSION", 0) == 0 || line.rfind("#DEVTYPE", 0) == 0) continue;
        taken.push_back(line);
    }
    std::vector<std::string> wanted;
    for (const std::string& command : s.remoteCommands) wanted.push_back(command + "\t#ACK");
    if (taken == wanted) return true;
    why = "the card's log differs from the script";
    return false;
}

// What a run that ended with exit status 0 must have left.
bool holdsWhatWasAsked(const Scenario& s, const RunResult& run, std::string& why) {
    for (int m = 0; m < kMemoryCount; ++m) {
        auto memory = static_cast<Memory>(m);
        if (holds(s.writes, memory) && !sameContent(memory, run.after.of[m], s.expected.of[m])) {
            why = std::string(memoryFile(memory)) + " differs from its file";
            return false;
        }
    }
    if (s.differingWords > 0) {
        why = "the device differs in " + std::to_string(s.differingWords) + " words";
        return false;
    }
    if (s.differingWords == 0 && finishedTotal(run.console) != 0) {
        why = "no total of 0 printed";
        return false;
    }
    if (s.command == "STATUS") return reportsTrue(s, run.console, why);
    if (s.command == "REMOTE") return scriptTaken(s, run.textLog, why);
    return true;
}

std::string changedMemories(const Scenario& s, const RunResult& run) {
    std::string changed;
    for (int m = 0; m < kMemoryCount; ++m) {
        auto memory = static_cast<Memory>(m);
        if (!holds(s.writes, memory) && !sameContent(memory, run.after.of[m], s.before.of[m])) {
            changed += std::string(changed.empty() ? "" : ", ") + memoryFile(memory);
        }
    }
    return changed;
}

}  // namespace

const char* verdictName(Verdict verdict) {
    static const char* const kNames[kVerdictCount] = {"true success", "reported failure", "false success", "hang",
                                                      "collateral",   "wrong count",      "unexplained"};
    return kNames[static_cast<int>(verdict)];
}

Judgement judge(const Scenario& s, const RunResult& run) {
    Judgement j;
    std::string beforeInterrupt;
    bool atBound = interruptedAtBound(run, beforeInterrupt);
    bool operatorLoop = atBound && (inIdentificationLoop(beforeInterrupt) || inBootReminderLoop(beforeInterrupt));

    if (run.stoppedByGuard || (atBound && !operatorLoop)) {
        j.verdict = Verdict::kHang;
        j.why = run.stoppedByGuard ? "still running after the real-time guard" : "still running at the bound";
        return j;
    }
    std::string changed = changedMemories(s, run);
    if (!changed.empty()) {
        j.verdict = Verdict::kCollateral;
        j.why = changed + " changed";
        return j;
    }
    if (operatorLoop) {
        j.verdict = Verdict::kReportedFailure;
        j.operatorStop = true;
        return j;
    }
    long total = s.differingWords >= 0 ? finishedTotal(run.console) : -1;
    if (total >= 0 && total != s.differingWords) {
        j.verdict = Verdict::kWrongCount;
        j.why = "total " + std::to_string(total) + " for " + std::to_string(s.differingWords) + " differing words";
        return j;
    }
    if (run.status == 0) {
        j.verdict = holdsWhatWasAsked(s, run, j.why) ? Verdict::kTrueSuccess : Verdict::kFalseSuccess;
        return j;
    }
    if (((run.status == 1 || run.status == 2) && showsFailure(run.console)) ||
        (run.status == 1 && endsWithAdvice(run.console))) {
        j.verdict = Verdict::kReportedFailure;
        return j;
    }
    j.why = run.status == 1 || run.status == 2 ? "failed without a failure text"
                                               : "ended with status " + std::to_string(run.status);
    return j;
}

}  // namespace matrix
