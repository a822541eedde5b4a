// Runs of the content commands (FPGA, EDID, GAMMA, ALL, REMOTE) against the
// whole simulated card, and what each leaves: the console after the banner,
// the bytes the card received after the identification, the exit status
// and the simulated time the run took.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/sim/sim_port.h"
#include "sim/card.h"
#include "sim/samples/sample_files.h"
#include "tests/support/tool_run.h"
#include "tests/support/work_dir.h"

struct CardRun {
    std::string console;
    std::string sent;
    int status = -1;
    double seconds = 0;
};

// What every run sends first: the probes and the identification.
inline const std::string kOpening("\0\0#DEVERSION\r#DEVTYPE\r", 22);

// `prepare` runs on the freshly reset simulated platform, before the tool.
inline CardRun runOnCard(sim::Card& card, const std::vector<std::string>& args, const std::string& keys = "",
                         const std::function<void()>& prepare = {}) {
    simport::reset();
    if (prepare) prepare();
    ToolRun run = runTool(args, card, keys);
    CardRun result;
    std::size_t banner = run.output.rfind("* * *\n");
    result.console = banner == std::string::npos ? run.output : run.output.substr(banner + 6);
    const std::string& received = card.received();
    EXPECT_EQ(received.substr(0, kOpening.size()), kOpening);
    result.sent = received.size() > kOpening.size() ? received.substr(kOpening.size()) : "";
    result.status = run.status;
    result.seconds = static_cast<double>(simport::now()) / 1e9;
    return result;
}

// A card of `model` with `change` made to its options.
template <class Change>
sim::CardOptions cardOptions(const std::string& model, Change change) {
    sim::CardOptions options;
    options.model = model;
    change(options);
    return options;
}

inline std::string sample(const std::string& name, std::size_t xsvfSize = sim::kDefaultXsvfSize) {
    std::vector<std::uint8_t> bytes = sim::sampleFile(name, xsvfSize);
    return {bytes.begin(), bytes.end()};
}

inline std::string text(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

inline bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

inline const std::string kExit = "\nExit updater\n";
