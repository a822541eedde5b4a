// ALL against the simulated card: the steps in their order on the wire, the
// card's memories equal to the files afterwards, which failures end the
// sequence and which do not, and files refused before anything is sent.
#include <fstream>

#include "tests/support/card_run.h"

namespace {

const std::string kFpga = sample("fpga.xsvf", 3000);

void writeUpdateFiles(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        std::string bytes = name == "fpga.xsvf" ? kFpga : sample(name);
        std::ofstream(name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
}

// Where `parts` stand in `text`, each searched after the one before; npos
// for one missing.
std::vector<std::size_t> positions(const std::string& text, const std::vector<std::string>& parts) {
    std::vector<std::size_t> found;
    std::size_t from = 0;
    for (const std::string& part : parts) {
        std::size_t at = text.find(part, from);
        found.push_back(at);
        if (at != std::string::npos) from = at + part.size();
    }
    return found;
}

// The run ends with the FPGA's success and one total time.
bool endsWithTotalTime(const std::string& console) {
    const std::string head = "\nSuccess\nTotal Time : ";
    const std::string end = " seconds\n" + kExit;
    std::size_t at = console.rfind(head);
    return at != std::string::npos && console.size() >= at + head.size() + end.size() &&
           console.compare(console.size() - end.size(), end.size(), end) == 0 &&
           console.find(" minutes ", at) < console.size() - end.size() &&
           console.find('\n', at + head.size()) == console.size() - end.size() + 8;
}

TEST(AllOnCard, EveryStepInItsOrderAndTheCardHoldsEveryFile) {
    WorkDir dir;
    writeUpdateFiles({"EDID.bin", "FDriver.bin", "Device5.bin", "SFDriver.bin", "Device1.bin", "fpga.xsvf"});
    sim::Card card{cardOptions("DVITOSDI", [](auto&) {})};
    CardRun run = runOnCard(card, {"COM1", "ALL"});
    EXPECT_EQ(run.status, 0) << run.console.substr(0, 2000);
    for (std::size_t at : positions(run.sent, {"#EDID 2\r", "=MP\r", "=ME\r", "=MP\r", "=ME\r", "#FPGA 1\r"})) {
        EXPECT_NE(at, std::string::npos);
    }
    EXPECT_EQ(run.sent.rfind("#EDID 2\r", 0), 0u);
    EXPECT_TRUE(run.sent.size() > kFpga.size() && run.sent.substr(run.sent.size() - kFpga.size() - 8) == "#FPGA 1\r" + kFpga);
    for (std::size_t at : positions(run.console, {"EDID.bin : \tYES\n", "Success\n", "Loading ISP Driver...\n",
                                                  "Program Device5.bin ...\n", "Loading ISP Driver...\n",
                                                  "Program Device1.bin ...\n", "\n->Programming FPGA...\n"})) {
        EXPECT_NE(at, std::string::npos);
    }
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
                                "fpga.xsvf : \tYES\n\n->Programming FPGA...\n", 0), 0u);
    EXPECT_TRUE(endsWithTotalTime(run.console));
    // The FPGA step's own time-outs are the last ones applied.
    EXPECT_EQ(simport::appliedTimeouts().ReadTotalTimeoutConstant, 50u);
}

TEST(AllOnCard, AFailedDriverDownloadStopsTheSequence) {
    WorkDir dir;
    writeUpdateFiles({"Device5.bin", "Device1.bin", "SFDriver.bin", "fpga.xsvf"});
    std::ofstream("FDriver.bin", std::ios::binary) << std::string(0x100, 'd');  // holds no driver block
    sim::Card card{sim::CardOptions{}};
    CardRun run = runOnCard(card, {"COM1", "ALL"});
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(contains(run.console, "Program Device5.bin"));
    EXPECT_FALSE(contains(run.console, "Total Time"));
    EXPECT_TRUE(run.console.size() > 28 &&
                run.console.substr(run.console.size() - 28 - kExit.size()) == "Press a key to continue ... " + kExit);
    EXPECT_EQ(simport::keyReads(), 1);
    EXPECT_FALSE(contains(run.sent, "#FPGA"));
    EXPECT_TRUE(card.flashDevice(1).empty());
}

TEST(AllOnCard, AFailedEdidStepDoesNotStopTheSequence) {
    WorkDir dir;
    writeUpdateFiles({"EDID.bin", "Device1.bin", "SFDriver.bin", "fpga.xsvf"});
    sim::Card card{cardOptions("HDMITOSDI", [](auto& o) { o.contentWriteFails = true; })};
    CardRun run = runOnCard(card, {"COM1", "ALL"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.console.find(" bytes...\nFailed\n"), std::string::npos);
    EXPECT_TRUE(endsWithTotalTime(run.console));
    EXPECT_TRUE(card.content().edid().empty());
    EXPECT_TRUE(text(card.flashDevice(1)) == sample("Device1.bin"));
    EXPECT_TRUE(text(card.content().fpgaFile()) == kFpga);
}

TEST(AllOnCard, ABadFileRefusesTheWholeRunBeforeAnythingIsSent) {
    const struct {
        const char* file;
        std::string bytes;
        std::string refusal;
    } cases[] = {
        {"EDID.bin", std::string(100, 'e'), "\nError only file of 128 or 256 bytes can be read\n"},
        {"fpga.xsvf", "", "Unable to read file : fpga.xsvf\n"},
        {"Device5.bin", std::string(200, 'i'), "File Device5.bin is too small for device 5 : 200 bytes (256 at least).\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        WorkDir dir;
        writeUpdateFiles({"EDID.bin", "FDriver.bin", "Device5.bin", "fpga.xsvf"});
        std::ofstream(c.file, std::ios::binary) << c.bytes;
        sim::Card card{cardOptions("DVITOSDI", [](auto&) {})};
        CardRun run = runOnCard(card, {"COM1", "ALL"});
        std::string ending = c.refusal + "Press a key to continue ... " + kExit;
        EXPECT_TRUE(run.console.size() > ending.size() &&
                    run.console.substr(run.console.size() - ending.size()) == ending) << run.console;
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.sent.empty());
    }
}

}  // namespace
