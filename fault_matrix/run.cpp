#include "fault_matrix/run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fault_matrix/bounds.h"
#include "platform/sim/sim_port.h"
#include "sim/card.h"
#include "sim/memory/state_file.h"
#include "tests/support/tool_run.h"

namespace matrix {

namespace {

constexpr sim::Nanos kNanosPerMs = 1000000;
constexpr int kSetupFailed = 125;

// The card of this process's run, kept when the run ends, however it ends.
sim::Card* runCard = nullptr;

// The card as the tool sees it, watched for the first byte of the command:
// until then the run waits before its command (identification, the boot
// program's communication check) under the waiting bound; from then on it
// has the command's bound.
class PhaseWatch final : public sim::SerialPeer {
public:
    PhaseWatch(sim::Card& card, std::uint64_t commandBoundMs) : card_(card), commandBoundMs_(commandBoundMs) {}

    void setHostBaud(std::uint32_t baud) override { card_.setHostBaud(baud); }
    void hostWrite(const std::uint8_t* data, std::size_t count, sim::Nanos now) override {
        for (std::size_t i = 0; i < count && waiting_; ++i) {
            if (!waitingByte(data[i])) {
                waiting_ = false;
                simport::interruptAt(now + static_cast<sim::Nanos>(commandBoundMs_) * kNanosPerMs);
            }
        }
        card_.hostWrite(data, count, now);
    }
    std::optional<sim::Nanos> nextArrival(sim::Nanos until) override { return card_.nextArrival(until); }
    std::size_t hostRead(std::uint8_t* out, std::size_t max, sim::Nanos now) override {
        return card_.hostRead(out, max, now);
    }

private:
    // The bytes of the identification (probes, "#DEVERSION\r", "#DEVTYPE\r",
    // the old firmware's menu keys and its "6") and of the boot program's
    // communication check (0x00); every command sends another byte among
    // its first ones.
    static bool waitingByte(std::uint8_t byte) {
        static const std::string kWaiting = std::string("#DEVERSION#DEVTYPE\r1$6") + '\0';
        return kWaiting.find(static_cast<char>(byte)) != std::string::npos;
    }

    sim::Card& card_;
    std::uint64_t commandBoundMs_;
    bool waiting_ = true;
};

void keepCard() {
    runCard->takeEverythingSent();
    runCard->saveState();
    if (std::FILE* out = std::fopen("simulated-ms", "w")) {
        std::fprintf(out, "%llu\n", static_cast<unsigned long long>(simport::now() / kNanosPerMs));
        std::fclose(out);
    }
    if (std::FILE* out = std::fopen("timing-violations", "w")) {
        for (const sim::TimingViolation& lost : runCard->timingViolations()) {
            std::fprintf(out, "at %.3f ms a byte came while %s\n", static_cast<double>(lost.at) / kNanosPerMs,
                         lost.what.c_str());
        }
        std::fclose(out);
    }
}

bool redirect(int fd, const char* path) {
    int file = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    return file >= 0 && ::dup2(file, fd) >= 0 && ::close(file) == 0;
}

[[noreturn]] void runTool(const Scenario& scenario, const std::string& dir) {
    if (::chdir(dir.c_str()) != 0 || !redirect(STDOUT_FILENO, "console.txt") ||
        !redirect(STDERR_FILENO, "/dev/null")) {
        ::_exit(kSetupFailed);
    }
    sim::CardOptions options = scenario.card;
    options.stateDir = "state";
    runCard = new sim::Card(options);
    auto* watch = new PhaseWatch(*runCard, scenario.boundMs);
    simport::interruptAt(static_cast<sim::Nanos>(waitingBoundMs()) * kNanosPerMs);
    simport::onInterrupt(keepCard);
    int status = runUpdaterOn(scenario.args, *watch, scenario.keys, scenario.startTick);
    std::fflush(stdout);
    keepCard();
    ::_exit(status);
}

std::string readText(const std::string& path) {
    Bytes bytes = sim::readFile(path);
    return {bytes.begin(), bytes.end()};
}

}  // namespace

pid_t startRun(const Scenario& scenario, const std::string& dir) {
    std::error_code error;
    if (!std::filesystem::create_directories(dir + "/state", error)) return -1;
    for (const auto& [name, bytes] : scenario.files) {
        if (!sim::writeFile(dir + "/" + name, bytes)) return -1;
    }
    writeMemories(dir + "/state", scenario.before);
    std::fflush(stdout);
    std::fflush(stderr);
    pid_t child = ::fork();
    if (child == 0) runTool(scenario, dir);
    return child;
}

RunResult collectRun(const std::string& dir, int waitStatus, bool stoppedByGuard, double realSeconds) {
    RunResult result;
    result.status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
    result.stoppedByGuard = stoppedByGuard;
    result.console = readText(dir + "/console.txt");
    result.after = readMemories(dir + "/state");
    result.textLog = readText(sim::stateFile::in(dir + "/state", sim::stateFile::kTextLog));
    std::string ms = readText(dir + "/simulated-ms");
    result.simulatedSeconds = ms.empty() ? 0 : std::stod(ms) / 1000.0;
    result.timingViolations = readText(dir + "/timing-violations");
    result.realSeconds = realSeconds;
    return result;
}

void removeRunDir(const std::string& dir) {
    std::error_code error;
    std::filesystem::remove_all(dir, error);
}

}  // namespace matrix
