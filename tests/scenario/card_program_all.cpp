// ALL against the card model: the steps in order, the memories equal to the files,
// which failures end the sequence, and files refused before anything is sent.
#include "tests/support/card_run.h"

namespace {

const std::string kFpga = sample("fpga.xsvf", 3000);

void writeUpdateFiles(const std::vector<std::string>& names) {
    for (const std::string& name : names) sim::writeFile(name, name == "fpga.xsvf" ? kFpga : sample(name));
}

bool endsWithTotalTime(const std::string& console) {
    std::size_t at = console.rfind("\nSuccess\nTotal Time : ");
    return at != std::string::npos && endsWith(console, " seconds\n" + kExit) &&
           console.find('\n', at + 9) == console.size() - kExit.size() - 1;
}

TEST(AllOnCard, EveryStepInItsOrderAndTheCardHoldsEveryFile) {
    WorkDir dir;
    writeUpdateFiles({"EDID.bin", "FDriver.bin", "Device5.bin", "SFDriver.bin", "Device1.bin", "fpga.xsvf"});
    sim::Card card{cardOptions("DVITOSDI", [](auto&) {})};
    CardRun run = runOnCard(card, {"COM1", "ALL"});
    EXPECT_EQ(run.status, 0) << run.console.substr(0, 2000);
    expectInOrder(run.sent, {"=MP\r", "=ME\r", "=MP\r", "=ME\r"});
    EXPECT_EQ(run.sent.rfind("#EDID 2\r", 0), 0u);
    EXPECT_TRUE(endsWith(run.sent, "#FPGA 1\r" + kFpga));
    expectInOrder(run.console,
                  {"EDID.bin : \tYES\n", "Success\n", "Loading ISP Driver...\n", "Program Device5.bin ...\n",
                   "Loading ISP Driver...\n", "Program Device1.bin ...\n", "\n->Programming FPGA...\n"});
    EXPECT_TRUE(endsWithTotalTime(run.console));
    EXPECT_EQ(text(card.content().edid()), sample("EDID.bin"));
    EXPECT_TRUE(text(card.flashDevice(5)) == sample("Device5.bin"));
    EXPECT_TRUE(text(card.flashDevice(1)) == sample("Device1.bin"));
    EXPECT_TRUE(text(card.content().fpgaFile()) == kFpga);
}

TEST(AllOnCard, TheFpgaAloneStillEndsWithTheTotalTime) {
    WorkDir dir;
    writeUpdateFiles({"fpga.xsvf"});
    sim::Card card{sim::CardOptions{}};
    CardRun run = runOnCard(card, {"COM1", "ALL"});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.sent == "#FPGA 1\r" + kFpga);
    EXPECT_EQ(run.console.rfind("\nLooking for update files ... \n\nDevice1.bin : \tNO\nDevice5.bin : \tNO\n"
                                "fpga.xsvf : \tYES\n\n->Programming FPGA...\n",
                                0),
              0u);
    EXPECT_TRUE(endsWithTotalTime(run.console));
    EXPECT_EQ(simport::appliedTimeouts().ReadTotalTimeoutConstant, 50u) << "the FPGA step's time-outs come last";
}

// A failed driver download stops the sequence at a key prompt; a failed
// EDID step does not, but fails the run.
TEST(AllOnCard, WhichFailuresStopTheSequence) {
    {
        WorkDir dir;
        writeUpdateFiles({"Device5.bin", "Device1.bin", "SFDriver.bin", "fpga.xsvf"});
        sim::writeFile("FDriver.bin", std::string(0x100, 'd'));  // holds no driver block
        sim::Card card{sim::CardOptions{}};
        CardRun run = runOnCard(card, {"COM1", "ALL"});
        EXPECT_EQ(run.status, 1);
        EXPECT_FALSE(contains(run.console, "Program Device5.bin") || contains(run.console, "Total Time"));
        EXPECT_TRUE(endsWith(run.console,
                             kKeyPrompt + advice("the video processor may be left stopped for programming", "ALL") +
                                 kExit));
        EXPECT_EQ(simport::keyReads(), 1);
        EXPECT_FALSE(contains(run.sent, "#FPGA"));
        EXPECT_TRUE(card.flashDevice(1).empty());
    }
    WorkDir dir;
    writeUpdateFiles({"EDID.bin", "Device1.bin", "SFDriver.bin", "fpga.xsvf"});
    sim::Card card{cardOptions("HDMITOSDI", [](auto& o) { o.contentWriteFails = true; })};
    CardRun run = runOnCard(card, {"COM1", "ALL"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(contains(run.console, " bytes...\nFailed\n"));
    EXPECT_TRUE(endsWith(run.console, advice("the EDID memory may be partly written", "ALL") + kExit));
    EXPECT_TRUE(card.content().edid().empty());
    EXPECT_TRUE(text(card.flashDevice(1)) == sample("Device1.bin"));
    EXPECT_TRUE(text(card.content().fpgaFile()) == kFpga);
}

TEST(AllOnCard, ABadFileRefusesTheWholeRunBeforeAnythingIsSent) {
    // clang-format off
    const struct {
        const char* file;
        std::string bytes;
        std::string refusal;
    } cases[] = {
        {"EDID.bin", std::string(200, 'e'), "\nError only file of 128 or 256 bytes can be read\n"},
        {"fpga.xsvf", "", "Unable to read file : fpga.xsvf\n"},
        {"Device5.bin", std::string(200, 'i'), "File Device5.bin is too small for device 5 : 200 bytes (256 at least).\n"},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        WorkDir dir;
        writeUpdateFiles({"EDID.bin", "FDriver.bin", "Device5.bin", "fpga.xsvf"});
        sim::writeFile(c.file, c.bytes);
        sim::Card card{cardOptions("DVITOSDI", [](auto&) {})};
        CardRun run = runOnCard(card, {"COM1", "ALL"});
        EXPECT_TRUE(endsWith(run.console, c.refusal + kKeyPrompt + kExit)) << run.console;
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.sent.empty());
    }
}

}  // namespace
