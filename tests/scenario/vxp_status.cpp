// STATUS against a scripted video processor: the report's texts for sample
// replies, a report built from nothing, and the refresh loop's ends.
#include "tests/scenario/vxp_isp_responder.h"
#include "vxp/vxp_status.h"

namespace {

int occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// The video processor's answers: name "VIPER GF9321", status word, type
// 0x9321, memory flags, and the two calibration words.
class Status : public ScriptedCardTest {
protected:
    void SetUp() override {
        ScriptedCardTest::SetUp();
        card_.answer = [this](const wire::Words& words) {
            if (words[0] == 0x0633) return wire::packet({0x5734, 0x5649, 0x5045, 0x5220, 0x4746, 0x3933, 0x3231});
            if (words[0] == 0x062F) return wire::packet({0xE730, status_, 0x9321, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, memory_, 0});
            return wire::packet({0x271B, words[1], 0, words[1] == 0x005E ? osd_ : video_});
        };
    }
    std::uint16_t status_ = 0x0602, memory_ = 0x1F11, osd_ = 0x000B, video_ = 0x0215;
};

const std::string kSampleReport =
    "\n/********** VXP STATUS ***********/ \n"
    "\nDevice Name         -> VIPER GF9321"
    "\nDevice Type         -> GF9321"
    "\nOSD Load Status     -> Awaiting trigger of manual OSD bulk load"
    "\nConfig Status       -> Configuration complete"
    "\nMemory Devices      ->\n\r"
    "    Video Memory:  \n"
    "           SDRAM 1 Detected           SDRAM 4 Detected \n"
    "           SDRAM 2 Detected           SDRAM 5 Detected \n"
    "           SDRAM 3 Detected\n"
    "    OSD Memory:  \n"
    "           SDRAM 1 Not Detected           SDRAM 2 Not Detected\n"
    "    Flash Memory:  \n"
    "           CS0 Detected           CS4 Detected\n"
    "           CS1 Not Detected           CS5 Not Detected\n"
    "           CS2 Not Detected               CS6 Not Detected\n"
    "           CS3 Not Detected               CS7 Not Detected\n"
    "SDRAM Calibration   ->\n\r"
    "    OSD : \n"
    "           Byte 0 : Passed            Byte 2 : Not Passed\n"
    "           Byte 1 : Passed            Byte 3 : Passed\n"
    "    Video: \n"
    "           Byte 0 : Passed            Byte 5 : Not Passed\n"
    "           Byte 1 : Not Passed            Byte 6 : Not Passed\n"
    "           Byte 2 : Passed            Byte 7 : Not Passed\n"
    "           Byte 3 : Not Passed            Byte 8 : Not Passed\n"
    "           Byte 4 : Passed            Byte 9 : Passed\n"
    "\n/******** END OF VXP STATUS ********/ "
    "\nPress Enter to refresh or 'Q' to quit ";

// Each key but Q or q refreshes the report; the packets are the same each time.
TEST_F(Status, SampleRepliesGiveTheirReportUntilQOrq) {
    simport::pressKeys("\rxQ");
    vxpStatus();
    simport::pressKeys("q");
    vxpStatus();
    EXPECT_EQ(console_.text(), kSampleReport + kSampleReport + kSampleReport + kSampleReport);
    EXPECT_EQ(simport::keyReads(), 4);
    const std::vector<wire::Words> pass{wire::withChecksum({0x0633, 0}), wire::withChecksum({0x062F, 0}),
                                        wire::withChecksum({0x161A, 0x005E, 0x0B06}),
                                        wire::withChecksum({0x161A, 0x007C, 0x0005})};
    ASSERT_EQ(card_.packets.size(), 16u);
    for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(card_.packets[i], pass[i % 4]) << i;
    EXPECT_EQ(exitStatus, kExitDone);
}

TEST_F(Status, UnknownStatusValuesAndAllFlagsSet) {
    status_ = 0x0705;
    memory_ = video_ = 0xFFFF;
    osd_ = 0x00FF;
    vxpStatus();  // no keys: input has ended, one report
    std::string text = console_.text();
    EXPECT_NE(text.find("\nOSD Load Status     -> Error Unknown\nConfig Status       -> Error Unknown\n"),
              std::string::npos);
    EXPECT_EQ(text.find("Not "), std::string::npos);
    EXPECT_EQ(occurrences(text, "Detected"), 15);
    EXPECT_EQ(occurrences(text, "Passed"), 14);
    EXPECT_NE(text.find("           SDRAM 5 Detected \n"), std::string::npos);
    EXPECT_NE(text.find("               CS7 Detected \n"), std::string::npos);
    EXPECT_NE(text.find("            Byte 9 : Passed\n"), std::string::npos);
    EXPECT_EQ(simport::keyReads(), 1);
}

TEST_F(Status, SilentCardGivesAReportOfZerosAndFails) {
    card_.answer = [](const wire::Words&) { return std::string(); };
    vxpStatus();
    std::string timeouts;
    for (int i = 0; i < 10; ++i) timeouts += "Timeout. Retry...SendISP\n";
    timeouts += "Unable to send command. Exit.SendISP\n";
    std::string text = console_.text();
    EXPECT_EQ(text.rfind(timeouts + timeouts + timeouts + timeouts +
                             "\n/********** VXP STATUS ***********/ \n\nDevice Name         -> " +
                             std::string(12, '\0') +
                             "\nDevice Type         -> GF0\nOSD Load Status     -> OSD Load Table OK"
                             "\nConfig Status       -> Insystem program mode\n",
                         0),
              0u);
    EXPECT_EQ(occurrences(text, "Not Detected"), 15);
    EXPECT_EQ(occurrences(text, "Not Passed"), 14);
    EXPECT_EQ(exitStatus, kExitFailed);
    EXPECT_GE(simport::now(), 4 * 33000 * kMs);
}

}  // namespace
