// VIPER's own steps against a scripted card: which driver goes first, the
// pause between the downloads, the closing command, and the failure ends.
#include <filesystem>

#include "tests/scenario/vxp_isp_responder.h"
#include "vxp/program_viper.h"

namespace {

class ProgramViperSteps : public ScriptedCardTest {
protected:
    void SetUp() override {
        ScriptedCardTest::SetUp();
        dir_.write("FDriver.bin", imageBytes(0x820, 1));   // two blocks
        dir_.write("SFDriver.bin", imageBytes(0x830, 2));  // three blocks
        dir_.write("Device1.bin", imageBytes(64));
        dir_.write("Device5.bin", imageBytes(0x200));
    }
};

TEST_F(ProgramViperSteps, DeviceOneTakesTheSerialFlashDriverThenItsImageThenTheRunEnds) {
    ProgramViper(1, "Device1.bin");
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
    card_.answerWith(0x5502, wire::nack(0x502));
    ProgramViper(5, "Device5.bin");
    EXPECT_EQ(card_.log, (std::vector<std::string>{"=MP", "=MR", "950D", "950D", "3802", "5502"}));
    EXPECT_EQ(exitStatus, kExitFailed);
    EXPECT_EQ(simport::keyReads(), 1);
    std::string text = console_.text();
    EXPECT_EQ(text.substr(text.size() - kPrompt.size()), kPrompt);
    EXPECT_EQ(text.find("Total Time"), std::string::npos);
}

TEST_F(ProgramViperSteps, RefusedClosingCommandDoesNotChangeTheOutcome) {
    card_.answerMicro = [](char letter) { return std::string(letter == 'E' ? "=M~" : "=M*"); };
    ProgramViper(1, "Device1.bin");
    EXPECT_EQ(exitStatus, kExitDone);
    EXPECT_NE(console_.text().find("Invalid command from micro ...\n\n=ME\r\n\nTotal Time : "), std::string::npos);
}

// Both files are judged before anything is sent. A directory opens as a
// file here but cannot be read; the simulated platform refuses time-outs on
// a port that is no longer open.
TEST_F(ProgramViperSteps, CommandThatCannotStartEndsBeforeAnythingIsSent) {
    const struct {
        int device;
        const char* image;
        std::function<void(WorkDir&)> prepare;
        ExitStatus status;
        std::string text;
    } cases[] = {
        {7, "Device7.bin", [](WorkDir& d) { d.write("Device7.bin", imageBytes(0xFF)); }, kExitRefused,
         "File Device7.bin is too small for device 7 : 255 bytes (256 at least).\n"},
        {1, "Unreadable.bin", [](WorkDir&) { std::filesystem::create_directory("Unreadable.bin"); }, kExitRefused,
         "Unable to read file : Unreadable.bin\n"},
        {5, "Device5.bin", [](WorkDir& d) { d.write("FDriver.bin", imageBytes(2097152 + 1)); }, kExitRefused,
         "File FDriver.bin is too large (2097152 bytes at most).\n"},
        {5, "Device5.bin", [](WorkDir&) { std::filesystem::remove("FDriver.bin"); }, kExitRefused,
         "Loading ISP Driver...\nUnable to open file : FDriver.bin\n"},
        {1, "Device1.bin", [](WorkDir&) { closeSimPort(); }, kExitFailed, "Failed to set timeout : error 6\n"},
        {1, "Device1.bin", [](WorkDir& d) { d.write("Device1.bin", ""); }, kExitRefused,
         "File Device1.bin is empty.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        c.prepare(dir_);
        std::size_t from = console_.text().size();
        int keyReads = simport::keyReads();
        exitStatus = kExitDone;
        ProgramViper(c.device, c.image);
        EXPECT_EQ(exitStatus, c.status);
        EXPECT_EQ(console_.text().substr(from), c.text + kPrompt);
        EXPECT_EQ(simport::keyReads(), keyReads + 1);
    }
    EXPECT_EQ(simport::written(), "");
    EXPECT_EQ(simport::now(), 0u);
}

}  // namespace
