// The operator interrupts a run (Ctrl-C) at a chosen simulated time: the
// run ends there with status 130 and one last line that says what the card
// may now hold half done and how to recover.
#include "tests/support/card_run.h"

namespace {

constexpr sim::Nanos kSecond = 1000000000;
constexpr sim::Nanos kNever = 1000000 * kSecond;

struct Case {
    const char* what;
    std::vector<std::string> args;
    sim::Nanos at;
    std::string keys;
    std::string lastPrinted;  // found in the last 60 characters printed before the interrupt
    std::string line;
    bool bootMode = false;
    std::string model = "SDITOHDMI";
};

TEST(Interrupt, EndsTheRunWithWhatMayBePartlyWrittenAndHowToRecover) {
    WorkDir dir;
    ASSERT_EQ(sim::writeSampleFiles(dir.path()), "");
    // clang-format off
    const Case cases[] = {
        {"identification", {"COM1", "VIPER", "Device5.bin"}, kSecond / 20, "", "", "Interrupted."},
        {"driver download", {"COM1", "VIPER", "Device5.bin"}, 6 * kSecond, "", "\rJob at",
         "Interrupted: the video processor may be left stopped for programming: run VIPER Device5.bin again."},
        {"erase", {"COM1", "viper", "Device5.bin"}, 15 * kSecond, "", "Erasing device...\n",
         "Interrupted: device 5 may be partly written: run VIPER Device5.bin again."},
        {"image data", {"COM1", "VIPER", "Device5.bin"}, 40 * kSecond, "", "\rJob at",
         "Interrupted: device 5 may be partly written: run VIPER Device5.bin again."},
        {"verify", {"COM1", "VERIFY", "Device5.bin"}, 10 * kSecond, "", "% --- Mismatch Total",
         "Interrupted."},
        {"key prompt", {"COM1", "STATUS"}, kNever, "\r\x03", "Press Enter to refresh or 'Q' to quit ",
         "Interrupted."},
        {"micro kernel", {"COM1", "MICRO"}, 2 * kSecond, "", "\rJob at",
         "Interrupted: the card stays in boot mode: run MICRO again.", true},
        {"micro image", {"COM1", "MICRO"}, 15 * kSecond, "", "",
         "Interrupted: the microcontroller's flash may be partly written and the card stays in boot "
         "mode: run MICRO again.", true},
        {"fpga", {"COM1", "FPGA", "fpga.xsvf"}, 5 * kSecond, "", "\rJob at",
         "Interrupted: the FPGA may be partly configured: run FPGA fpga.xsvf again."},
        {"edid", {"COM1", "EDID", "EDID.bin"}, kSecond * 7 / 10, "", "bytes...\n",
         "Interrupted: the EDID memory may be partly written: run EDID EDID.bin again.", false, "DVITOSDI"},
        {"gamma", {"COM1", "GAMMA", "gamma.csv"}, 1 * kSecond, "", "Sending Gamma Data...",
         "Interrupted: the gamma table may be partly written: run GAMMA gamma.csv again."},
        {"remote", {"COM1", "REMOTE", "remote.txt"}, kSecond / 2, "", "",
         "Interrupted: only part of the script may have been sent: run REMOTE remote.txt again."},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sim::Card card{cardOptions(c.model, [&](auto& o) { o.bootMode = c.bootMode; })};
        ToolRun run = runToolInterrupted(c.args, card, c.at, c.keys);
        EXPECT_EQ(run.status, 130);
        const std::string end = "\n" + c.line + "\n";
        ASSERT_GE(run.output.size(), end.size());
        std::string before = run.output.substr(0, run.output.size() - end.size());
        std::string tail = before.substr(before.size() - std::min<std::size_t>(60, before.size()));
        EXPECT_EQ(run.output.substr(before.size()), end) << tail;
        EXPECT_NE(tail.find(c.lastPrinted), std::string::npos) << tail;
        EXPECT_EQ(run.output.find("Exit updater"), std::string::npos);
    }
}

}  // namespace
