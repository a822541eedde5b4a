// Identification against a scripted firmware: frames the card model never sends,
// the port's recovery, and the menu probe of an old firmware.
#include <cstring>

#include "driver/identification.h"
#include "port/port.h"
#include "tests/support/card_run.h"
#include "tests/support/console_capture.h"
#include "tests/support/scripted_peer.h"

namespace {

constexpr sim::Nanos kMs = ScriptedPeer::kMs;

class Identification : public ::testing::Test {
protected:
    void SetUp() override { open(); }
    void open() {
        peer = ScriptedPeer();
        ASSERT_TRUE(openSimPort(peer));
        cardVersion = 69;
        std::strcpy(RDVersion, "E");
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

TEST_F(Identification, ModelAndVersionFromEachReply) {
    const struct {
        const char* version;
        const char* model;
        int result;
        int variant;
        const char* word;
    } cases[] = {
        {"#DEVERSION 2 V1.23\r", "#DEVTYPE SDITOHDMI\r", 5, 2, "V1.23"},
        {"#DEVERSION 1 V1\r", "#DEVTYPE DVITOSDI\r", 1, 1, "V1"},
        {"#DEVERSION 1 V1\r", "#DEVTYPE SDITODVI\r", 2, 1, "V1"},
        {"#DEVERSION 1 V1\r", "#DEVTYPE SL-SDITODVI\r", 3, 1, "V1"},
        {"#DEVERSION 1 V1\r", "#DEVTYPE SL-SDITOHDMI\r", 6, 1, "V1"},
        {"\x05garbage#DEVERSION 1 V3.0\r", "echo#DEV#TYPE HDMI#TOSDI\r trailing", 4, 1, "V3.0"},  // noise, hashes
        {"#DEVERSION 1 V1\r", "#DEVTYPE SDITOHDMI \r", kModelUnknown, 1, "V1"},
        {"#DEVERSION 1 V1\r", "#devtype sditohdmi\r", kModelUnknown, 1, "V1"},
        {"#VERSION 2 V1.0\r", "#DEVTYPE DVITOSDI\r", 1, 69, "E"},  // not a version reply: nothing read
        {"#DEVERSION 2\r", "#DEVTYPE DVITOSDI\r", 1, 2, "E"},      // the variant without a word
        {"#DEVERSION 2 \r", "#DEVTYPE DVITOSDI\r", 1, 2, "E"},
        {"#DEVERSION\r", "#DEVTYPE DVITOSDI\r", 1, 69, "E"},              // too short for the variant
        {"#DEVERSION 2  V1.23\r", "#DEVTYPE DVITOSDI\r", 1, 2, "V1.23"},  // blanks skipped as "%s" does
        {"#DEVERSION 1 V1.23-beta-7 extra\r", "#DEVTYPE DVITOSDI\r", 1, 1, "V1.23-bet"},  // cut to 9
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.version) + c.model);
        open();
        answerIdentification(peer, c.version, c.model);
        EXPECT_EQ(identify(), c.result);
        EXPECT_EQ(output, kAsking + (c.result == kModelUnknown ? "\nERROR CARD MODEL UNKNOWN" : "OK"));
        EXPECT_EQ(cardVersion, c.variant);
        EXPECT_STREQ(RDVersion, c.word);
        EXPECT_EQ(peer.received(), "#DEVERSION\r#DEVTYPE\r");
    }
}

// Sixteen questions of four 2 s waits, then the menu keys, across the tick's wrap.
TEST_F(Identification, SilentCardAndOldFirmwareMenu) {
    simport::startClock(0xFFFFFFFFu - 5000);
    DWORD start = GetTickCount();
    EXPECT_EQ(identify(), kNoCommunication);
    EXPECT_EQ(output, kAsking + "\nError no communication with the device");
    std::string questions;
    for (int i = 0; i < 15; ++i) questions += "#DEVERSION\r";
    EXPECT_EQ(peer.received(), questions + "#DEVTYPE\r\r1$");
    DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 16u * 8000u + 1500u);
    EXPECT_LT(elapsed, 16u * 8200u + 1600u);
    EXPECT_EQ(simport::opens(), 1);  // no port error, so no recovery

    // More than four bytes after the menu keys: an old firmware; four are no sign of life.
    for (const char* menu : {"\r\nMENU: 1 $ 6\r\n", "1234"}) {
        open();
        peer.onWrite("#DEVTYPE\r\r1$", menu, 10 * kMs);
        EXPECT_EQ(identify(), std::strlen(menu) > 4 ? kOldFirmware : kNoCommunication);
    }
    EXPECT_EQ(output, kAsking + "\nError no communication with the device");
}

// A failed read reopens and reconfigures the port; the error stays set, so the second
// attempt recovers too.
TEST_F(Identification, PortErrorsReopenThePort) {
    for (bool busy : {false, true}) {
        open();
        simport::failReads(ERROR_GEN_FAILURE, 0, 1);
        if (busy) simport::failOpens(ERROR_ACCESS_DENIED, 1);
        peer.onWrite("#DEVERSION\r#DEVERSION\r", "#DEVERSION 1 V2.00\r", kMs);
        peer.onWrite("#DEVTYPE\r", "#DEVTYPE SL-SDITOHDMI\r", kMs);
        EXPECT_EQ(identify(), 6);
        const std::string busyText =
            "Failed to open COM1 :  The COM port selected is already open by an other program!\n";
        EXPECT_EQ(contains(output, busy ? busyText : "Failed"), busy) << output;
        EXPECT_EQ(simport::opens(), busy ? 4 : 3);
        EXPECT_EQ(simport::appliedSettings().BaudRate, 115200u);
        EXPECT_EQ(simport::appliedTimeouts().ReadTotalTimeoutConstant, 1u);
    }

    // A port gone for good is retried at the reply wait's pace.
    open();
    simport::failReads(ERROR_GEN_FAILURE, 0, 1000);
    simport::failOpens(ERROR_FILE_NOT_FOUND, 1000);
    DWORD start = GetTickCount();
    EXPECT_EQ(identify(), kNoCommunication);
    EXPECT_GE(GetTickCount() - start, 15u * 2000u);
    EXPECT_EQ(count(output, "Failed to open COM1 :  The COM port selected don't exist!\n"), 15u);
    EXPECT_TRUE(contains(output, "Failed to get port status : error 6  \n"));
}

TEST_F(Identification, ReplyFramesAtTheDeadlineAndBeyondTheReplyArea) {
    // A frame ending in the read that notes the deadline counts; 1 ms later it does not.
    char answer[60] = {};
    peer.sendAt(simport::now() + 5 * kMs, "#DEVTYPE SDI");
    peer.sendAt(simport::now() + 2001 * kMs, "TOHDMI\r");
    EXPECT_EQ(ReadCmd(answer), 4);
    EXPECT_STREQ(answer, "#DEVTYPE SDITOHDMI\r");
    peer.sendAt(simport::now() + 2002 * kMs, "#DEVTYPE SDITOHDMI\r");
    EXPECT_EQ(ReadCmd(answer), 2);

    open();
    std::memset(answer, 'Z', sizeof answer);
    peer.sendAt(simport::now() + kMs, "#" + std::string(45, 'A'));  // one read of 46 bytes
    EXPECT_EQ(ReadCmd(answer), 0);                                  // 40 characters stored without a frame end
    EXPECT_EQ(std::strlen(answer), 46u);
    peer.sendAt(simport::now() + kMs, "#" + std::string(30, 'B'));
    peer.sendAt(simport::now() + 2 * kMs, std::string(49, 'C') + "\r");
    EXPECT_EQ(ReadCmd(answer), 4);
    EXPECT_EQ(std::strlen(answer), 59u);  // cut to fit, closing carriage return kept
    EXPECT_EQ(answer[58], '\r');
}

}  // namespace
