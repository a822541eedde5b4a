// Card identification: the version and model questions, their reply frames,
// the port recovery, and the menu probe of an old firmware.
#include <gtest/gtest.h>

#include <cstring>

#include "driver/identification.h"
#include "port/port.h"
#include "platform/sim/sim_port.h"
#include "tests/support/console_capture.h"
#include "tests/support/firmware_script.h"
#include "tests/support/scripted_peer.h"

namespace {

constexpr sim::Nanos kMs = ScriptedPeer::kMs;

class Identification : public ::testing::Test {
protected:
    void SetUp() override {
        simport::reset();
        simport::attach(&peer);
        simport::startClock(0x1000);
        std::strcpy(lportname, "COM1");
        std::strcpy(lfullportname, "\\\\.\\COM1");
        ASSERT_TRUE(openPort());
        ASSERT_TRUE(configurePort(true));
        cardVersion = 69;
        RDVersion[0] = 'E';
    }

    int identify() {
        ConsoleCapture capture;
        int result = DevType();
        output = capture.text();
        return result;
    }

    ScriptedPeer peer;
    std::string output;
};

}  // namespace

TEST_F(Identification, ModelAndVersionOfARunningFirmware) {
    answerIdentification(peer, "#DEVERSION 2 V1.23\r", "#DEVTYPE SDITOHDMI\r");
    EXPECT_EQ(identify(), 5);
    EXPECT_EQ(output, "\nNow communicating with the card to obtain version information...OK");
    EXPECT_EQ(cardVersion, 2);
    EXPECT_STREQ(RDVersion, "V1.23");
    EXPECT_EQ(peer.received(), "#DEVERSION\r#DEVTYPE\r");
}

TEST_F(Identification, EachOfTheSixModelReplies) {
    const char* words[] = {"DVITOSDI",  "SDITODVI",  "SL-SDITODVI",
                           "HDMITOSDI", "SDITOHDMI", "SL-SDITOHDMI"};
    for (const char* word : words) {
        answerIdentification(peer, "#DEVERSION 1 V1\r", std::string("#DEVTYPE ") + word + "\r");
    }
    for (int code = 1; code <= 6; ++code) EXPECT_EQ(identify(), code);
}

TEST_F(Identification, NoiseBeforeTheFrameAndHashesInsideItAreIgnored) {
    answerIdentification(peer, "\x05garbage#DEVERSION 1 V3.0\r",
                         "echo#DEV#TYPE HDMI#TOSDI\r trailing");
    EXPECT_EQ(identify(), 4);
    EXPECT_STREQ(RDVersion, "V3.0");
}

TEST_F(Identification, UnknownModelReplies) {
    answerIdentification(peer, "#DEVERSION 1 V1\r", "#DEVTYPE SDITOHDMI \r");
    answerIdentification(peer, "#DEVERSION 1 V1\r", "#devtype sditohdmi\r");
    EXPECT_EQ(identify(), kModelUnknown);
    EXPECT_EQ(output,
              "\nNow communicating with the card to obtain version information..."
              "\nERROR CARD MODEL UNKNOWN");
    EXPECT_EQ(identify(), kModelUnknown);
}

TEST_F(Identification, VersionFactsFromOddReplies) {
    // Not a version reply at all: the variant and the word stay unread.
    answerIdentification(peer, "#VERSION 2 V1.0\r", "#DEVTYPE DVITOSDI\r");
    EXPECT_EQ(identify(), 1);
    EXPECT_EQ(cardVersion, 69);
    EXPECT_EQ(RDVersion[0], 'E');

    // The variant digit without a word, whether the reply ends after the
    // digit or after a blank: the digit is kept, the word stays unread.
    for (const char* reply : {"#DEVERSION 2\r", "#DEVERSION 2 \r"}) {
        answerIdentification(peer, reply, "#DEVTYPE DVITOSDI\r");
        identify();
        EXPECT_EQ(cardVersion, 2) << reply;
        EXPECT_EQ(RDVersion[0], 'E') << reply;
    }

    // Too short to reach the variant digit.
    answerIdentification(peer, "#DEVERSION\r", "#DEVTYPE DVITOSDI\r");
    identify();
    EXPECT_EQ(cardVersion, 69);

    // White space before the word is skipped, as a "%s" scan does.
    answerIdentification(peer, "#DEVERSION 2  V1.23\r", "#DEVTYPE DVITOSDI\r");
    identify();
    EXPECT_STREQ(RDVersion, "V1.23");

    // A word longer than 9 characters is cut to 9; it ends at white space.
    answerIdentification(peer, "#DEVERSION 1 V1.23-beta-7 extra\r", "#DEVTYPE DVITOSDI\r");
    identify();
    EXPECT_EQ(cardVersion, 1);
    EXPECT_STREQ(RDVersion, "V1.23-bet");
}

TEST_F(Identification, SilentCardGivesUpAfterFifteenVersionAttempts) {
    // From just before the tick counter wraps: the waits keep their length.
    simport::startClock(0xFFFFFFFFu - 5000);
    DWORD start = GetTickCount();
    EXPECT_EQ(identify(), kNoCommunication);
    EXPECT_EQ(output,
              "\nNow communicating with the card to obtain version information..."
              "\nError no communication with the device");
    std::string questions;
    for (int i = 0; i < 15; ++i) questions += "#DEVERSION\r";
    EXPECT_EQ(peer.received(), questions + "#DEVTYPE\r\r1$");
    // Sixteen questions of four 2 s reply waits each, then the menu keys.
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 16u * 8000u + 1500u);
    EXPECT_LT(elapsed, 16u * 8200u + 1600u);
    EXPECT_EQ(simport::opens(), 1);  // no port error, so no recovery
}

TEST_F(Identification, OldFirmwareAnswersItsMenuKeys) {
    // Silent to the text commands, talkative after the third menu key.
    for (int i = 0; i < 15; ++i) peer.onWrite("#DEVERSION\r", "menu");
    peer.onWrite("#DEVTYPE\r\r1$", "\r\nMENU: 1 $ 6\r\n", 10 * kMs);
    EXPECT_EQ(identify(), kOldFirmware);
    EXPECT_EQ(output,
              "\nNow communicating with the card to obtain version information..."
              "\nYou are using an old firmware version...");
}

TEST_F(Identification, FourBytesAfterTheMenuKeysAreNoSignOfLife) {
    peer.onWrite("#DEVTYPE\r\r1$", "1234", 10 * kMs);
    EXPECT_EQ(identify(), kNoCommunication);
}

TEST_F(Identification, PortErrorReopensAndReconfiguresThePort) {
    simport::failReads(ERROR_GEN_FAILURE, 0, 1);
    peer.onWrite("#DEVERSION\r#DEVERSION\r", "#DEVERSION 1 V2.00\r", kMs);
    peer.onWrite("#DEVTYPE\r", "#DEVTYPE SL-SDITOHDMI\r", kMs);
    EXPECT_EQ(identify(), 6);
    EXPECT_STREQ(RDVersion, "V2.00");
    // The error code stays set, so the successful second attempt is followed
    // by a recovery as well: the first open and two reopens.
    EXPECT_EQ(simport::opens(), 3);
    const DCB& settings = simport::appliedSettings();
    EXPECT_EQ(settings.BaudRate, 115200u);
    EXPECT_EQ(settings.ByteSize, 8);
    const COMMTIMEOUTS& timeouts = simport::appliedTimeouts();
    EXPECT_EQ(timeouts.ReadIntervalTimeout, MAXDWORD);
    EXPECT_EQ(timeouts.ReadTotalTimeoutMultiplier, MAXDWORD);
    EXPECT_EQ(timeouts.ReadTotalTimeoutConstant, 1u);
    EXPECT_EQ(output.find("Failed"), std::string::npos);
}

TEST_F(Identification, VanishedPortIsRetriedAtTheReplyWaitPace) {
    simport::failReads(ERROR_GEN_FAILURE, 0, 1000);
    simport::failOpens(ERROR_FILE_NOT_FOUND, 1000);
    DWORD start = GetTickCount();
    EXPECT_EQ(identify(), kNoCommunication);
    EXPECT_GE(GetTickCount() - start, 15u * 2000u);
    std::size_t reopenFailures = 0;
    for (std::size_t at = output.find("Failed to open COM1 :  The COM port selected don't exist!\n");
         at != std::string::npos; at = output.find("Failed to open", at + 1)) {
        ++reopenFailures;
    }
    EXPECT_EQ(reopenFailures, 15u);
    EXPECT_NE(output.find("Failed to get port status : error 6  \n"), std::string::npos);
}

TEST_F(Identification, FailedReopenIsReportedAndRetried) {
    simport::failReads(ERROR_GEN_FAILURE, 0, 1);
    simport::failOpens(ERROR_ACCESS_DENIED, 1);
    peer.onWrite("#DEVERSION\r#DEVERSION\r", "#DEVERSION 1 V2.00\r", kMs);
    peer.onWrite("#DEVTYPE\r", "#DEVTYPE DVITOSDI\r", kMs);
    EXPECT_EQ(identify(), 1);
    EXPECT_NE(output.find("Failed to open COM1 :  The COM port selected is already open by an "
                          "other program!\n"),
              std::string::npos);
}

TEST_F(Identification, ReplySplitOverReadsAndCompletedAtTheDeadline) {
    // The frame's end arrives in the read that notes the deadline (2 s and
    // 1 ms after the wait began), so it still counts.
    char answer[60] = {};
    peer.sendAt(simport::now() + 5 * kMs, "#DEVTYPE SDI");
    peer.sendAt(simport::now() + 2001 * kMs, "TOHDMI\r");
    EXPECT_EQ(ReadCmd(answer), 4);
    EXPECT_STREQ(answer, "#DEVTYPE SDITOHDMI\r");

    // One millisecond later it is too late.
    peer.sendAt(simport::now() + 2002 * kMs, "#DEVTYPE SDITOHDMI\r");
    EXPECT_EQ(ReadCmd(answer), 2);
}

TEST_F(Identification, LongReplyNeverOverrunsTheReplyArea) {
    char answer[60];
    std::memset(answer, 'Z', sizeof answer);
    peer.sendAt(simport::now() + kMs, "#" + std::string(45, 'A'));  // one read of 46 bytes
    EXPECT_EQ(ReadCmd(answer), 0);  // 40 characters stored without a frame end
    EXPECT_EQ(std::strlen(answer), 46u);

    peer.sendAt(simport::now() + kMs, "#" + std::string(30, 'B'));
    peer.sendAt(simport::now() + 2 * kMs, std::string(49, 'C') + "\r");
    EXPECT_EQ(ReadCmd(answer), 4);
    EXPECT_EQ(std::strlen(answer), 59u);  // cut to fit, closing carriage return kept
    EXPECT_EQ(answer[58], '\r');
}
