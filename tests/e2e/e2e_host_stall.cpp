// The tool stopped for 4 s mid-transfer (SIGSTOP, SIGCONT), longer than its 3 s ISP
// wait, while the paced card keeps time: the run ends with 0, the card holds the file.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "sim/card_choices.h"
#include "sim/samples/firmware_image.h"
#include "tests/support/processes.h"

namespace {

constexpr auto kStall = std::chrono::seconds(4);

struct Case {
    const char* what;
    std::vector<std::string> command;  // after the port
    std::string reached;               // printed in the middle of the transfer
    std::string memory;                // the state file that must equal `expected`
    std::string (*expected)(const WorkDir&);
};

std::string fileNamed(const WorkDir& dir, const char* name) { return dir.read(name); }

TEST(EndToEnd, AStalledToolCarriesOnAndTheCardHoldsTheFilePacedCard) {
    // clang-format off
    const Case cases[] = {
        {.what = "VIPER, in the image's data", .command = {"VIPER", "Device5.bin"},
         .reached = "Job at 5", .memory = "device5.bin",
         .expected = [](const WorkDir& dir) { return fileNamed(dir, "Device5.bin"); }},
        // The image's frames print " \r" before each progress line, the kernel's not.
        {.what = "MICRO, in the image's frames", .command = {"MICRO"},
         .reached = " \rJob at 5", .memory = "micro.bin",
         .expected = [](const WorkDir&) {
             std::vector<std::uint8_t> flash =
                 sim::flashImageOf(sim::sampleFirmwareData(), sim::choices::kMicroFlashSize);
             return std::string(flash.begin(), flash.end());
         }},
        {.what = "FPGA, in the configuration file", .command = {"FPGA", "fpga.xsvf"},
         .reached = "Job at 1.0", .memory = "fpga.xsvf",
         .expected = [](const WorkDir& dir) { return fileNamed(dir, "fpga.xsvf"); }},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WorkDir dir;
        dir.writeSamples(6000);
        writeImage(dir.path() + "/Device5.bin", 2000);
        Cardsim card(dir.path(), {"--state", dir.path() + "/state"});
        std::vector<std::string> args{card.link()};
        args.insert(args.end(), c.command.begin(), c.command.end());

        TerminalRun run(dir.path(), args);
        ASSERT_TRUE(run.waitFor(c.reached)) << run.finish().output;
        run.signal(SIGSTOP);
        std::this_thread::sleep_for(kStall);
        run.signal(SIGCONT);
        ProcessResult result = run.finish();
        EXPECT_EQ(result.status, 0) << result.output.substr(result.output.size() - std::min<std::size_t>(600, result.output.size()));
        EXPECT_EQ(card.stop(), 0);
        EXPECT_TRUE(dir.read("state/" + c.memory) == c.expected(dir)) << c.memory << " differs";
    }
}

}  // namespace
