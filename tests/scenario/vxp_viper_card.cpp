// VIPER, VERIFY and STATUS as the operator runs them, against the whole
// simulated card: the flash devices end up holding the images, read back
// equal, and files that cannot be sent whole never reach the card.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "sim/card_line.h"
#include "tests/scenario/vxp_test_files.h"
#include "tests/support/tool_run.h"
#include "tests/support/work_dir.h"

namespace {

using vxptest::imageBytes;

std::vector<std::uint8_t> asBytes(const std::string& text) { return {text.begin(), text.end()}; }

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class ViperOnCard : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.write("FDriver.bin", imageBytes(0x2000, 11));
        dir_.write("SFDriver.bin", imageBytes(0x1800, 12));
        std::filesystem::create_directory("card-state");
    }

    // A card that keeps its memories in the work directory, so that a later
    // run can power up the same card again (each run starts its own clock).
    static sim::CardOptions keptCard() {
        sim::CardOptions options;
        options.stateDir = "card-state";
        return options;
    }

    WorkDir dir_;
};

TEST_F(ViperOnCard, EachDeviceHoldsItsImageAndReadsBackEqual) {
    for (int device : {1, 5, 7}) {
        SCOPED_TRACE(device);
        sim::CardLine card{keptCard()};
        const std::string name = "Device" + std::to_string(device) + ".bin";
        const std::string image = imageBytes(5000 + 7 * static_cast<std::size_t>(device), device);
        dir_.write(name, image);

        ToolRun viper = runTool({"COM1", "VIPER", name}, card);
        EXPECT_EQ(viper.status, 0) << viper.output;
        EXPECT_EQ(card.flashDevice(device), asBytes(image));
        EXPECT_TRUE(contains(viper.output, "\nTotal Time : ")) << viper.output;
        EXPECT_FALSE(contains(viper.output, "Press a key")) << viper.output;

        sim::CardLine again{keptCard()};
        ToolRun check = runTool({"COM1", "VERIFY", name}, again);
        EXPECT_EQ(check.status, 0) << check.output;
        EXPECT_TRUE(contains(check.output, "\rJob at 100% ----- Mismatch Total 0 \t\t\t\t\n")) << check.output;
    }
}

TEST_F(ViperOnCard, VerifyCountsWhatDiffersFromTheDevice) {
    sim::CardLine card{keptCard()};
    std::string image = imageBytes(3000, 5);
    dir_.write("Device5.bin", image);
    ASSERT_EQ(runTool({"COM1", "VIPER", "Device5.bin"}, card).status, 0);

    image[0x10] = static_cast<char>(image[0x10] ^ 1);
    image[0x11] = static_cast<char>(image[0x11] ^ 1);
    image[2999] = static_cast<char>(image[2999] ^ 0x80);
    dir_.write("Device5.bin", image);
    sim::CardLine again{keptCard()};
    ToolRun check = runTool({"COM1", "VERIFY", "Device5.bin"}, again);
    EXPECT_EQ(check.status, 1);
    EXPECT_TRUE(contains(check.output, "----- Mismatch Total 2 ")) << check.output;
}

TEST_F(ViperOnCard, FilesThatCannotBeSentWholeAreRefusedBeforeTheDriver) {
    dir_.write("Device5.bin", imageBytes(200));
    dir_.write("Device1.bin", imageBytes(100));
    dir_.write("SFDriver.bin", imageBytes(2097152 + 1));
    for (const char* name : {"Device5.bin", "Device1.bin"}) {
        SCOPED_TRACE(name);
        sim::CardLine card{sim::CardOptions{}};
        ToolRun run = runTool({"COM1", "VIPER", name}, card);
        EXPECT_EQ(run.status, 2);
        EXPECT_FALSE(contains(card.received(), "=M")) << "no micro command reached the card";
        EXPECT_FALSE(contains(card.received(), "=G")) << "no packet reached the card";
        EXPECT_TRUE(contains(run.output, "Press a key to continue ... ")) << run.output;
    }
}

TEST_F(ViperOnCard, MissingDriverIsReportedAndNothingIsSent) {
    std::remove("FDriver.bin");
    dir_.write("Device5.bin", imageBytes(1000));
    sim::CardLine card{sim::CardOptions{}};
    ToolRun run = runTool({"COM1", "VIPER", "Device5.bin"}, card);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(contains(run.output, "Loading ISP Driver...\nUnable to open file : FDriver.bin\n"
                                     "Press a key to continue ... "))
        << run.output;
    EXPECT_FALSE(contains(card.received(), "=M"));
}

TEST_F(ViperOnCard, StatusReportsTheCardsVideoProcessor) {
    sim::CardLine card{sim::CardOptions{}};
    ToolRun run = runTool({"COM1", "STATUS"}, card, "\rq");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_FALSE(contains(run.output, "Timeout. Retry")) << run.output;
    std::size_t first = run.output.find("/********** VXP STATUS ***********/");
    ASSERT_NE(first, std::string::npos) << run.output;
    EXPECT_NE(run.output.find("/********** VXP STATUS ***********/", first + 1), std::string::npos)
        << "Enter refreshed the report";
}

}  // namespace
