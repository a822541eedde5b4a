// STATUS against a scripted video processor: the report's texts for sample
// replies, a report built from nothing, and the refresh loop's ends.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "driver/exit_status.h"
#include "platform/sim/sim_port.h"
#include "tests/scenario/vxp_isp_responder.h"
#include "tests/support/console_capture.h"
#include "tests/support/open_sim_port.h"
#include "vxp/vxp_status.h"

namespace {

constexpr sim::Nanos kMs = ScriptedPeer::kMs;

int occurrences(const std::string& text, const std::string& part) {
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// The video processor's answers: name "VIPER GF9321", status word 1, type
// 0x9321, memory flags, and the two calibration words.
struct Answers {
    std::uint16_t status = 0x0602;
    std::uint16_t memory = 0x1F11;
    std::uint16_t osd = 0x000B;
    std::uint16_t video = 0x0215;
};

class Status : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(openSimPort(card_));
        exitStatus = kExitDone;
        card_.answer = [this](const wire::Words& words) { return answer(words); };
    }
    void TearDown() override {
        closeSimPort();
        if (HasFailure()) std::fprintf(stderr, "console:\n%s\n", console_.text().c_str());
    }

    std::string answer(const wire::Words& words) {
        switch (words[0]) {
        case 0x0633: return wire::packet({0x5734, 0x5649, 0x5045, 0x5220, 0x4746, 0x3933, 0x3231});
        case 0x062F: {
            wire::Words reply(16, 0);
            reply[0] = 0xE730;
            reply[1] = answers_.status;
            reply[2] = 0x9321;
            reply[14] = answers_.memory;
            return wire::packet(reply);
        }
        case 0x161A:
            return wire::packet({0x271B, words[1], 0, words[1] == 0x005E ? answers_.osd : answers_.video});
        default: return std::string();
        }
    }

    Answers answers_;
    IspResponder card_;
    ConsoleCapture console_;
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

TEST_F(Status, SampleRepliesGiveTheirReportAndQuitEndsIt) {
    simport::pressKeys("q");
    vxpStatus();
    EXPECT_EQ(console_.text(), kSampleReport);
    EXPECT_EQ(card_.log, (std::vector<std::string>{"0633", "062F", "161A", "161A"}));
    EXPECT_EQ(card_.packets[2], wire::withChecksum({0x161A, 0x005E, 0x0B06}));
    EXPECT_EQ(card_.packets[3], wire::withChecksum({0x161A, 0x007C, 0x0005}));
    EXPECT_EQ(exitStatus, kExitDone);
}

TEST_F(Status, AnyOtherKeyRefreshesUntilQ) {
    simport::pressKeys("\rxQ");
    vxpStatus();
    EXPECT_EQ(console_.text(), kSampleReport + kSampleReport + kSampleReport);
    EXPECT_EQ(simport::keyReads(), 3);
}

TEST_F(Status, UnknownStatusValuesAndAllFlagsSet) {
    answers_ = {0x0705, 0xFFFF, 0x00FF, 0xFFFF};
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
    ScriptedPeer silent;
    closeSimPort();
    ASSERT_TRUE(openSimPort(silent));
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
    EXPECT_EQ(occurrences(text, "Detected"), 15);
    EXPECT_EQ(occurrences(text, "Not Detected"), 15);
    EXPECT_EQ(occurrences(text, "Passed"), 14);
    EXPECT_EQ(occurrences(text, "Not Passed"), 14);
    EXPECT_EQ(exitStatus, kExitFailed);
    EXPECT_GE(simport::now(), 4 * 33000 * kMs);
}

}  // namespace
