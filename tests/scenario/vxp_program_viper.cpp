// VIPER's own steps against a scripted card: which driver goes first, the
// pause between the downloads, the closing command, and the failure end.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/exit_status.h"
#include "platform/sim/sim_port.h"
#include "tests/scenario/vxp_isp_responder.h"
#include "tests/scenario/vxp_test_files.h"
#include "tests/support/console_capture.h"
#include "tests/support/open_sim_port.h"
#include "tests/support/work_dir.h"
#include "vxp/program_viper.h"

namespace {

using vxptest::imageBytes;

class ProgramViperSteps : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(openSimPort(card_));
        exitStatus = kExitDone;
        dir_.write("FDriver.bin", imageBytes(0x820, 1));   // two blocks
        dir_.write("SFDriver.bin", imageBytes(0x830, 2));  // three blocks
    }
    void TearDown() override {
        closeSimPort();
        if (HasFailure()) std::fprintf(stderr, "console:\n%s\n", console_.text().c_str());
    }

    std::size_t driverBlocks() const {
        std::size_t n = 0;
        for (const auto& words : card_.packets) n += words[0] == 0x950D;
        return n;
    }

    WorkDir dir_;
    IspResponder card_;
    ConsoleCapture console_;
};

TEST_F(ProgramViperSteps, DeviceOneTakesTheSerialFlashDriverThenItsImageThenTheRunEnds) {
    dir_.write("Device1.bin", imageBytes(64));
    ProgramViper(1, "Device1.bin");
    EXPECT_EQ(driverBlocks(), 3u);
    EXPECT_EQ(card_.log, (std::vector<std::string>{"=MP", "=MR", "950D", "950D", "950D", "3802", "5502",
                                                   "F501", "F501", "=MA", "=MR", "=ME"}));
    EXPECT_EQ(exitStatus, kExitDone);
    EXPECT_EQ(simport::keyReads(), 0);
    std::string text = console_.text();
    EXPECT_EQ(text.rfind("Loading ISP Driver...\nFile Size : 2096 bytes\n", 0), 0u);
    EXPECT_NE(text.find("\nCalling ISP Driver...\n\n\nTime : 0 minutes 6 seconds\nProgramm Device1.bin ...\n"
                        "File Size : 64 bytes\n"),
              std::string::npos);
    EXPECT_NE(text.find("\n\nTime : 0 minutes 15 seconds\n\nTotal Time : 0 minutes 22 seconds\n"),
              std::string::npos);
}

TEST_F(ProgramViperSteps, FailedImageDownloadEndsWithTheKeyPromptAndNoClosingCommand) {
    dir_.write("Device5.bin", imageBytes(0x200));
    card_.answer = [this](const wire::Words& words) {
        if (words[0] == 0x5502) return wire::nack(0x502);
        return card_.willingAnswer(words);
    };
    ProgramViper(5, "Device5.bin");
    EXPECT_NE(card_.log.back(), "=ME");
    EXPECT_EQ(exitStatus, kExitFailed);
    EXPECT_EQ(simport::keyReads(), 1);
    std::string text = console_.text();
    EXPECT_EQ(text.substr(text.size() - 28), "Press a key to continue ... ");
    EXPECT_EQ(text.find("Total Time"), std::string::npos);
}

TEST_F(ProgramViperSteps, RefusedClosingCommandDoesNotChangeTheOutcome) {
    dir_.write("Device1.bin", imageBytes(64));
    card_.answerMicro = [](char letter) { return std::string(letter == 'E' ? "=M~" : "=M*"); };
    ProgramViper(1, "Device1.bin");
    EXPECT_EQ(exitStatus, kExitDone);
    EXPECT_NE(console_.text().find("Invalid command from micro ...\n\n=ME\r\n\nTotal Time : "),
              std::string::npos);
}

// A directory opens as a file here but cannot be read: its size is unknown.
TEST_F(ProgramViperSteps, FilesThatCannotBeSentWholeAreRefusedBeforeAnythingIsSent) {
    dir_.write("Device7.bin", imageBytes(0xFF));
    ProgramViper(7, "Device7.bin");
    EXPECT_EQ(exitStatus, kExitRefused);

    exitStatus = kExitDone;
    std::filesystem::create_directory("Device1.bin");
    ProgramViper(1, "Device1.bin");
    EXPECT_EQ(exitStatus, kExitRefused);

    exitStatus = kExitDone;
    dir_.write("Device5.bin", imageBytes(0x400));
    dir_.write("FDriver.bin", imageBytes(2097152 + 1));
    ProgramViper(5, "Device5.bin");
    EXPECT_EQ(exitStatus, kExitRefused);

    EXPECT_EQ(simport::written(), "");
    EXPECT_EQ(simport::now(), 0u);
    EXPECT_EQ(console_.text(),
              "File Device7.bin is too small for device 7 : 255 bytes (256 at least).\n"
              "Press a key to continue ... "
              "Unable to read file : Device1.bin\n"
              "Press a key to continue ... "
              "File FDriver.bin is too large (2097152 bytes at most).\n"
              "Press a key to continue ... ");
}

// The simulated platform refuses time-outs on a port that is no longer open.
TEST_F(ProgramViperSteps, PortThatTakesNoTimeoutsEndsTheCommandBeforeAnythingIsSent) {
    dir_.write("Device1.bin", imageBytes(64));
    closeSimPort();
    ProgramViper(1, "Device1.bin");
    EXPECT_EQ(exitStatus, kExitFailed);
    EXPECT_EQ(console_.text(), "Failed to set timeout : error 6\nPress a key to continue ... ");
    EXPECT_EQ(simport::keyReads(), 1);
    EXPECT_TRUE(card_.log.empty());
}

}  // namespace
