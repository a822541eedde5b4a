// The content transfers' modeled time in-process: the real tool against
// the paced card model on the simulated clock, where neither a pty nor a
// serve loop adds anything. Prints, for FPGA, EDID and GAMMA, the time from
// the tool's command to the card's verdict beside the transfer's lower
// bound; with "bounds" prints the bounds only (for the paced pty runs).
//
//   content_model model|bounds DIR    (DIR holds fpga.xsvf, EDID.bin, gamma.csv)
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/content_bounds.h"
#include "platform/sim/sim_port.h"
#include "sim/card.h"
#include "sim/memory/state_file.h"
#include "tests/support/tool_run.h"

namespace {

// The card, and when the command reached it and the verdict "~S" the tool.
class TimingPeer : public sim::SerialPeer {
public:
    TimingPeer(sim::Card& card, std::string command) : card_(card), command_(std::move(command)) {}

    void setHostBaud(std::uint32_t baud) override { card_.setHostBaud(baud); }
    void hostWrite(const std::uint8_t* data, std::size_t count, sim::Nanos now) override {
        card_.hostWrite(data, count, now);
        written_.append(reinterpret_cast<const char*>(data), count);
        if (start == 0 && written_.size() >= command_.size() &&
            written_.compare(written_.size() - command_.size(), command_.size(), command_) == 0) {
            start = now;
        }
        if (written_.size() > command_.size()) written_.erase(0, written_.size() - command_.size());
    }
    std::optional<sim::Nanos> nextArrival(sim::Nanos until) override { return card_.nextArrival(until); }
    std::size_t hostRead(std::uint8_t* out, std::size_t max, sim::Nanos now) override {
        std::size_t count = card_.hostRead(out, max, now);
        for (std::size_t i = 0; i < count && start != 0 && end == 0; ++i) {
            if (afterTilde_ && out[i] == 'S') end = now;
            afterTilde_ = out[i] == '~';
        }
        return count;
    }

    sim::Nanos start = 0;
    sim::Nanos end = 0;

private:
    sim::Card& card_;
    std::string command_;
    std::string written_;
    bool afterTilde_ = false;
};

// Runs the tool with `args` against a paced card; the seconds from the
// command to the verdict (0 when there was none).
double modeledSeconds(std::vector<std::string> args, const std::string& command, const std::string& model) {
    sim::CardOptions options;
    options.model = model;
    sim::Card card(options);
    TimingPeer peer(card, command);
    simport::reset();
    args.insert(args.begin(), "COM1");

    std::fflush(stdout);
    int saved = dup(STDOUT_FILENO);
    int quiet = open("/dev/null", O_WRONLY);
    dup2(quiet, STDOUT_FILENO);
    int status = runUpdaterOn(args, peer);
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(quiet);
    close(saved);
    if (status != 0 || peer.end == 0) return 0;
    return static_cast<double>(peer.end - peer.start) / 1e9;
}

void report(const char* what, double modeled, double bound) {
    printf("%s: modeled %.4f s, bound %.4f s, %.2f%% above\n", what, modeled, bound,
           100.0 * (modeled - bound) / bound);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: content_model model|bounds DIR\n");
        return 2;
    }
    std::string mode = argv[1];
    if (chdir(argv[2]) != 0) {
        std::perror(argv[2]);
        return 1;
    }
    double fpga = bench::fpgaBound(sim::readFile("fpga.xsvf"));
    double edid = bench::edidBound(sim::readFile("EDID.bin").size());
    double gamma = bench::gammaBound();
    if (mode == "bounds") {
        printf("fpga %.6f\nedid %.6f\ngamma %.6f\n", fpga, edid, gamma);
        return 0;
    }
    report("fpga", modeledSeconds({"FPGA", "fpga.xsvf"}, "#FPGA 1\r", "SDITOHDMI"), fpga);
    report("edid", modeledSeconds({"EDID", "EDID.bin"}, "#EDID 2\r", "DVITOSDI"), edid);
    report("gamma", modeledSeconds({"GAMMA", "gamma.csv"}, "#GAMMA 3 0\r", "SDITOHDMI"), gamma);
    return 0;
}
