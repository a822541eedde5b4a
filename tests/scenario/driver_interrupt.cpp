// Ctrl-C at a chosen simulated time: status 130, and a last line saying what the card
// may hold half done and how to recover.
#include "tests/support/card_run.h"

namespace {

constexpr sim::Nanos kSecond = 1000000000;
constexpr sim::Nanos kNever = 1000000 * kSecond;

struct Case {
    const char* what;
    std::vector<std::string> args;
    sim::Nanos at;
    std::string keys = "";
    std::string lastPrinted;  // found in the last 60 characters printed before the interrupt
    std::string line;
    bool bootMode = false;
    std::string model = "SDITOHDMI";
};

TEST(Interrupt, EndsTheRunWithWhatMayBePartlyWrittenAndHowToRecover) {
    WorkDir dir{sim::kDefaultXsvfSize};
    // clang-format off
    const Case cases[] = {
        {.what = "identification", .args = {"COM1", "VIPER", "Device5.bin"}, .at = kSecond / 5 + kSecond / 1000,
         .lastPrinted = "with the card to obtain version information...", .line = "Interrupted."},
        {.what = "driver download", .args = {"COM1", "VIPER", "Device5.bin"}, .at = 6 * kSecond,
         .lastPrinted = "\rJob at",
         .line = "Interrupted: the video processor may be left stopped for programming: run VIPER "
                 "Device5.bin again."},
        {.what = "erase", .args = {"COM1", "viper", "Device5.bin"}, .at = 15 * kSecond,
         .lastPrinted = "Erasing device...\n",
         .line = "Interrupted: device 5 may be partly written: run VIPER Device5.bin again."},
        {.what = "image data", .args = {"COM1", "VIPER", "Device5.bin"}, .at = 40 * kSecond,
         .lastPrinted = "\rJob at",
         .line = "Interrupted: device 5 may be partly written: run VIPER Device5.bin again."},
        {.what = "verify", .args = {"COM1", "VERIFY", "Device5.bin"}, .at = 10 * kSecond,
         .lastPrinted = "% --- Mismatch Total", .line = "Interrupted."},
        {.what = "key prompt", .args = {"COM1", "STATUS"}, .at = kNever, .keys = "\r\x03",
         .lastPrinted = "Press Enter to refresh or 'Q' to quit ", .line = "Interrupted."},
        {.what = "micro kernel", .args = {"COM1", "MICRO"}, .at = 2 * kSecond, .lastPrinted = "\rJob at",
         .line = "Interrupted: the card stays in boot mode: run MICRO again.", .bootMode = true},
        {.what = "micro image", .args = {"COM1", "MICRO"}, .at = 15 * kSecond,
         .lastPrinted = "->Set PARAMETERS...OK",
         .line = "Interrupted: the microcontroller's flash may be partly written and the card stays in boot "
                 "mode: run MICRO again.",
         .bootMode = true},
        {.what = "fpga", .args = {"COM1", "FPGA", "fpga.xsvf"}, .at = 5 * kSecond, .lastPrinted = "\rJob at",
         .line = "Interrupted: the FPGA may be partly configured: run FPGA fpga.xsvf again."},
        {.what = "edid", .args = {"COM1", "EDID", "EDID.bin"}, .at = kSecond * 7 / 10, .lastPrinted = "bytes...\n",
         .line = "Interrupted: the EDID memory may be partly written: run EDID EDID.bin again.",
         .model = "DVITOSDI"},
        {.what = "gamma", .args = {"COM1", "GAMMA", "gamma.csv"}, .at = 1 * kSecond,
         .lastPrinted = "Sending Gamma Data...",
         .line = "Interrupted: the gamma table may be partly written: run GAMMA gamma.csv again."},
        {.what = "remote", .args = {"COM1", "REMOTE", "remote.txt"}, .at = kSecond / 2,
         .lastPrinted = "\nACK received...\n",
         .line = "Interrupted: only part of the script may have been sent: run REMOTE remote.txt again."},
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
