// The fault matrix: runs the real tool against the card model on the
// simulated clock, run after run, each with a command, update files and
// card faults drawn from its seed, in a fresh process of its own, and
// judges what each run did to the card. See fault_matrix/README.md.
//
//   fault_matrix --runs N --seed S [--jobs J] [--guard SECONDS]
//   fault_matrix --replay SEED [--keep DIR]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "fault_matrix/dice.h"
#include "fault_matrix/judge.h"
#include "fault_matrix/run.h"
#include "fault_matrix/scenario.h"

namespace {

using Clock = std::chrono::steady_clock;
using matrix::Verdict;

struct Options {
    std::uint64_t runs = 0;
    std::uint64_t seed = 1;
    unsigned jobs = 1;
    double guardSeconds = 120;  // real time a run may take before it counts as hung
    bool replay = false;
    std::uint64_t replaySeed = 0;
    std::string keep;
    bool each = false;  // one line per run
};

const char* const kUsage = "usage: fault_matrix --runs N --seed S [--jobs J] [--guard SECONDS] [--each]\n"
                           "       fault_matrix --replay SEED [--keep DIR]\n";

bool parseNumber(const char* text, std::uint64_t& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text, &end, 0);
    return *text != '\0' && *text != '-' && *end == '\0' && errno == 0;
}

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        if (name == "--each") {
            options.each = true;
            continue;
        }
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        std::uint64_t number = 0;
        if (name == "--keep") {
            options.keep = value;
            continue;
        }
        if (!parseNumber(value, number)) return false;
        if (name == "--runs") {
            options.runs = number;
        } else if (name == "--seed") {
            options.seed = number;
        } else if (name == "--jobs") {
            options.jobs = static_cast<unsigned>(number == 0 ? 1 : number);
        } else if (name == "--guard") {
            options.guardSeconds = static_cast<double>(number);
        } else if (name == "--replay") {
            options.replay = true;
            options.replaySeed = number;
        } else {
            return false;
        }
    }
    return options.replay || options.runs > 0;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Outcome {
    matrix::Scenario scenario;
    matrix::Judgement judgement;
    matrix::RunResult result;
};

// Runs the scenarios of `seeds`, `jobs` at a time, and hands each outcome to `done`.
template <class Done>
void runAll(const std::vector<std::uint64_t>& seeds, const Options& options, const std::string& base, Done done) {
    struct Running {
        matrix::Scenario scenario;
        std::string dir;
        Clock::time_point start;
        bool killed = false;
    };
    std::map<pid_t, Running> running;
    std::size_t next = 0;
    while (next < seeds.size() || !running.empty()) {
        while (next < seeds.size() && running.size() < options.jobs) {
            Running run{matrix::pickScenario(seeds[next]), base + "/run-" + std::to_string(next), Clock::now()};
            pid_t child = matrix::startRun(run.scenario, run.dir);
            if (child < 0) {
                std::fprintf(stderr, "fault_matrix: cannot start a run in %s\n", run.dir.c_str());
                std::exit(3);
            }
            running.emplace(child, std::move(run));
            ++next;
        }
        int status = 0;
        pid_t ended = ::waitpid(-1, &status, WNOHANG);
        if (ended <= 0) {
            for (auto& [pid, run] : running) {
                if (!run.killed && secondsSince(run.start) > options.guardSeconds) {
                    ::kill(pid, SIGKILL);
                    run.killed = true;
                }
            }
            ::usleep(500);
            continue;
        }
        auto found = running.find(ended);
        if (found == running.end()) continue;
        Running& run = found->second;
        Outcome outcome{run.scenario,
                        {},
                        matrix::collectRun(run.dir, status, run.killed, secondsSince(run.start))};
        outcome.judgement = matrix::judge(outcome.scenario, outcome.result);
        done(outcome, run.dir);
        running.erase(found);
    }
}

// The runs' directories: in memory where the system has such a place, as
// every run writes its files and the card's memories and reads them back.
std::string makeBase() {
    char pattern[] = "/dev/shm/fault-matrix-XXXXXX";
    char fallback[] = "/tmp/fault-matrix-XXXXXX";
    char* made = ::mkdtemp(pattern);
    if (made == nullptr) made = ::mkdtemp(fallback);
    if (made == nullptr) {
        std::perror("mkdtemp");
        std::exit(3);
    }
    return made;
}

int replay(const Options& options) {
    std::string base = options.keep.empty() ? makeBase() : options.keep;
    int exitCode = 0;
    Options one = options;
    one.jobs = 1;
    runAll({options.replaySeed}, one, base, [&](const Outcome& o, const std::string& dir) {
        printf("%s\n", o.scenario.describe().c_str());
        printf("bound %.1f s simulated; ran %.3f s simulated, %.3f s real; exit status %d\n",
               static_cast<double>(o.scenario.boundMs) / 1000.0, o.result.simulatedSeconds, o.result.realSeconds,
               o.result.status);
        if (!o.result.timingViolations.empty()) {
            printf("----- bytes lost to pauses not given -----\n%s", o.result.timingViolations.c_str());
        }
        printf("----- console -----\n%s\n----- end of console -----\n", o.result.console.c_str());
        printf("verdict: %s%s%s%s\n", matrix::verdictName(o.judgement.verdict),
               o.judgement.operatorStop ? " (stopped by the operator at the bound)" : "",
               o.judgement.why.empty() ? "" : ": ", o.judgement.why.c_str());
        Verdict v = o.judgement.verdict;
        if (v != Verdict::kTrueSuccess && v != Verdict::kReportedFailure) exitCode = 1;
        if (options.keep.empty()) matrix::removeRunDir(dir);
    });
    if (options.keep.empty()) matrix::removeRunDir(base);
    return exitCode;
}

// Counts of each verdict, and of operator stops.
struct Tally {
    std::uint64_t runs = 0;
    std::uint64_t of[matrix::kVerdictCount] = {};
    std::uint64_t operatorStops = 0;

    void add(const matrix::Judgement& j) {
        ++runs;
        ++of[static_cast<int>(j.verdict)];
        if (j.operatorStop) ++operatorStops;
    }
};

void printTable(const char* heading, const std::vector<std::string>& order, std::map<std::string, Tally>& rows) {
    printf("\n%-24s %6s %8s %8s %8s %8s %6s %8s %8s\n", heading, "runs", "true-ok", "reported", "(oper.)",
           "false-ok", "hang", "collat.", "wrong-n");
    for (const std::string& name : order) {
        const Tally& t = rows[name];
        printf("%-24s %6llu %8llu %8llu %8llu %8llu %6llu %8llu %8llu\n", name.c_str(),
               static_cast<unsigned long long>(t.runs), static_cast<unsigned long long>(t.of[0]),
               static_cast<unsigned long long>(t.of[1]), static_cast<unsigned long long>(t.operatorStops),
               static_cast<unsigned long long>(t.of[2]), static_cast<unsigned long long>(t.of[3]),
               static_cast<unsigned long long>(t.of[4]), static_cast<unsigned long long>(t.of[5]));
    }
}

int matrixRun(const Options& options) {
    Clock::time_point start = Clock::now();
    std::string base = makeBase();
    std::vector<std::uint64_t> seeds;
    for (std::uint64_t i = 0; i < options.runs; ++i) seeds.push_back(matrix::runSeed(options.seed, i));

    Tally total;
    std::map<std::string, Tally> byCommand, byFault;
    std::vector<std::string> faultOrder;
    std::vector<std::string> toReplay;
    double longestReal = 0, longestSimulated = 0;
    std::vector<std::string> hasty;  // runs in which the card lost a byte to a pause not given
    runAll(seeds, options, base, [&](const Outcome& o, const std::string& dir) {
        total.add(o.judgement);
        if (!o.result.timingViolations.empty()) hasty.push_back(o.scenario.describe());
        byCommand[o.scenario.command].add(o.judgement);
        for (const std::string& fault : o.scenario.faults) {
            if (!byFault.count(fault)) faultOrder.push_back(fault);
            byFault[fault].add(o.judgement);
        }
        Verdict v = o.judgement.verdict;
        if (v != Verdict::kTrueSuccess && v != Verdict::kReportedFailure) {
            toReplay.push_back(std::string(matrix::verdictName(v)) + ": " + o.scenario.describe() +
                               (o.judgement.why.empty() ? "" : " (" + o.judgement.why + ")"));
        }
        if (options.each) {
            printf("%-16s %7.3f s real %9.1f s sim  %s%s  %s\n", matrix::verdictName(v), o.result.realSeconds,
                   o.result.simulatedSeconds, o.judgement.operatorStop ? "(operator) " : "",
                   o.scenario.describe().c_str(), o.judgement.why.c_str());
        }
        longestReal = std::max(longestReal, o.result.realSeconds);
        longestSimulated = std::max(longestSimulated, o.result.simulatedSeconds);
        matrix::removeRunDir(dir);
        if (total.runs % 1000 == 0)
            std::fprintf(stderr, "fault_matrix: %llu runs\n", static_cast<unsigned long long>(total.runs));
    });
    matrix::removeRunDir(base);
    double seconds = secondsSince(start);

    printf("Fault matrix: %llu runs from seed %llu, %u at a time\n", static_cast<unsigned long long>(options.runs),
           static_cast<unsigned long long>(options.seed), options.jobs);
    printTable("command", matrix::commandNames(), byCommand);
    std::sort(faultOrder.begin(), faultOrder.end());
    printTable("fault (a run may have two)", faultOrder, byFault);
    printf("\n(oper.): of the reported failures, runs stopped at their bound by an interrupt while the tool\n"
           "waited for the operator in one of its two endless loops: %llu\n",
           static_cast<unsigned long long>(total.operatorStops));
    printf("\nRuns in which the card lost a byte that came while it was busy (a pause not given, or the\n"
           "card put out of step by a fault of the line): %zu\n",
           hasty.size());
    for (const std::string& line : hasty) printf("  %s\n", line.c_str());
    if (!toReplay.empty()) {
        printf("\nRuns to replay with fault_matrix/fault-matrix --replay SEED:\n");
        for (const std::string& line : toReplay) printf("  %s\n", line.c_str());
    }
    printf("\nTime: %.1f s for %llu runs (%.1f ms a run); the longest run took %.2f s real, the longest %.1f s "
           "simulated\n",
           seconds, static_cast<unsigned long long>(options.runs),
           1000.0 * seconds / static_cast<double>(options.runs), longestReal, longestSimulated);
    std::uint64_t unexplained = total.of[static_cast<int>(Verdict::kUnexplained)];
    if (unexplained > 0) printf("unexplained: %llu\n", static_cast<unsigned long long>(unexplained));
    printf("runs %llu: true success %llu, reported failure %llu, false success %llu, hang %llu, collateral %llu, "
           "wrong count %llu\n",
           static_cast<unsigned long long>(total.runs), static_cast<unsigned long long>(total.of[0]),
           static_cast<unsigned long long>(total.of[1]), static_cast<unsigned long long>(total.of[2]),
           static_cast<unsigned long long>(total.of[3]), static_cast<unsigned long long>(total.of[4]),
           static_cast<unsigned long long>(total.of[5]));
    bool clean = total.of[2] == 0 && total.of[3] == 0 && total.of[4] == 0 && total.of[5] == 0 && unexplained == 0;
    return clean ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    return options.replay ? replay(options) : matrixRun(options);
}
