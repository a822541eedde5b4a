// The ISP packet link against a scripted far end on the simulated port and
// clock: the reply reader's framing and deadline, and every way an exchange
// can end.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "driver/port.h"
#include "link/isp_link.h"
#include "platform/sim/sim_port.h"
#include "tests/scenario/link_wire_forms.h"
#include "tests/support/console_capture.h"
#include "tests/support/open_sim_port.h"
#include "tests/support/scripted_peer.h"

namespace {

constexpr sim::Nanos kMs = ScriptedPeer::kMs;
const std::string kStatusRequestWire("\x3D\x47\x5C\x30\x2A\x2A\xF8\x23\x0D");

std::string hexWords(const wire::Words& words) {
    std::string out;
    char word[8];
    for (std::uint16_t w : words) {
        std::snprintf(word, sizeof word, "0x%04x ", w);
        out += word;
    }
    return out + "\n";
}

class IspExchange : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(openSimPort(peer_)); }
    void TearDown() override { closeSimPort(); }

    // The raw packet the reader returns, as a string; "" when it returned 0.
    std::string readPacket() {
        int n = ReadISPResponse(area_);
        return std::string(reinterpret_cast<const char*>(area_), static_cast<std::size_t>(n));
    }

    int sendStatusRequest() {
        msg_[0] = 0x0632;
        msg_[1] = 0x0000;
        return sendISPCmd(msg_, response_, 0);
    }

    ScriptedPeer peer_;
    ConsoleCapture console_;
    unsigned char area_[256] = {};
    std::uint16_t msg_[3] = {};
    std::uint16_t response_[18] = {};
};

// ---- the reader ------------------------------------------------------------

TEST_F(IspExchange, ReaderSkipsNoiseAndFalseStartsBeforeThePacket) {
    const std::string body = wire::packet({0x0733, 5}).substr(2);
    peer_.sendAt(simport::now() + 2 * kMs, "ab=x==G" + body + "tail");
    EXPECT_EQ(readPacket(), "=G" + body);
}

TEST_F(IspExchange, ReaderRestartsAtASecondStartInsideAPacket) {
    const std::string body = wire::packet({0x0733, 5}).substr(2);
    peer_.sendAt(simport::now() + 2 * kMs, "=G\x30\x31");
    peer_.sendAt(simport::now() + 4 * kMs, "\x32=G" + body);
    EXPECT_EQ(readPacket(), "=G" + body);
}

TEST_F(IspExchange, ReaderGivesUpAnUnendingPacketAt255Bytes) {
    peer_.sendAt(simport::now() + 2 * kMs, "=G" + std::string(300, 'a'));
    EXPECT_EQ(readPacket(), "=G" + std::string(253, 'a'));
}

// The deadline is 3000 ms after the tick at which the wait began (tick 0
// here): it has passed once tick 3001 begins, at 3001 ms.
TEST_F(IspExchange, ReaderTakesAPacketCompletedBeforeTheDeadlinePasses) {
    ASSERT_LT(simport::now(), kMs);
    const std::string packet = wire::packet({0x0733, 5});
    peer_.sendAt(3001 * kMs - 1, packet);
    EXPECT_EQ(readPacket(), packet);
}

TEST_F(IspExchange, ReaderCountsAPacketCompletedAfterTheDeadlineAsTimeout) {
    ASSERT_LT(simport::now(), kMs);
    peer_.sendAt(3001 * kMs, wire::packet({0x0733, 5}));
    EXPECT_EQ(readPacket(), "");
    EXPECT_LT(simport::now(), 3010 * kMs);
}

TEST_F(IspExchange, ReaderWaitIsNotEndedByTheTickCounterWrapping) {
    closeSimPort();
    ASSERT_TRUE(openSimPort(peer_, 0xFFFFFFFFu - 1000));
    const std::string packet = wire::packet({0x0733, 5});
    peer_.sendAt(simport::now() + 2500 * kMs, packet);
    EXPECT_EQ(readPacket(), packet);
}

TEST_F(IspExchange, ReaderReturnsNothingWhenAReadFails) {
    simport::failReads(ERROR_GEN_FAILURE, 0, 1);
    peer_.sendAt(simport::now(), wire::packet({0x0733, 5}));
    EXPECT_EQ(readPacket(), "");
}

// ---- whole exchanges -------------------------------------------------------

TEST_F(IspExchange, AcknowledgedCommandYieldsItsReplyWords) {
    peer_.onWrite("\r", wire::packet({0x0733, 0x0005}), 2 * kMs);
    ASSERT_EQ(sendStatusRequest(), 1);
    EXPECT_EQ(msg_[2], 0xF9CE) << "the checksum is written into the command";
    EXPECT_EQ(simport::written(), kStatusRequestWire);
    EXPECT_EQ(response_[0], 0x0733);
    EXPECT_EQ(response_[1], 0x0005);
    EXPECT_EQ(console_.text(), "");
}

TEST_F(IspExchange, RefusalOfThisCommandPrintsBothPackets) {
    const wire::Words reply = wire::withChecksum({0x1002, 0x0632, 0x0001});
    peer_.onWrite("\r", wire::encode(reply), 2 * kMs);
    EXPECT_EQ(sendStatusRequest(), 0);
    EXPECT_EQ(console_.text(),
              "\nNACK received. Retry ... \n0x0632 0x0000 0xf9ce \n" + hexWords(reply));
}

TEST_F(IspExchange, RefusalNamingAnotherCommandAndTheGspiMarkSaySo) {
    const wire::Words reply = wire::withChecksum({0x1002, 0x0501, 0x1234});
    peer_.onWrite("\r", wire::encode(reply), 2 * kMs);
    EXPECT_EQ(sendStatusRequest(), 0);
    EXPECT_EQ(console_.text(), "GSPI Timeout\n\nNACK received. Retry ... \n0x0632 0x0000 0xf9ce \n" +
                                   hexWords(reply) + "\nNACK on unknown command. 0x0501 != 0x0632\n");
}

TEST_F(IspExchange, EchoOfTheCommandIsARefusal) {
    peer_.onWrite("\r", kStatusRequestWire, 2 * kMs);
    EXPECT_EQ(sendStatusRequest(), 0);
    EXPECT_NE(console_.text().find("\nNACK received. Retry ... \n"), std::string::npos);
    EXPECT_EQ(simport::written(), kStatusRequestWire) << "the link never sends again itself";
}

TEST_F(IspExchange, BadChecksumIsReportedButTheReplyStillCounts) {
    peer_.onWrite("\r", wire::encode({0x0733, 0x0005, 0x1234}), 2 * kMs);
    EXPECT_EQ(sendStatusRequest(), 1);
    EXPECT_EQ(response_[1], 0x0005);
    EXPECT_EQ(console_.text(), "Bad checksum\n");
}

TEST_F(IspExchange, ShortReplyIsReportedAndItsMissingWordsReadAsZero) {
    // The header announces four words; three arrive.
    for (std::uint16_t& word : response_) word = 0xAAAA;
    peer_.onWrite("\r", wire::encode({0x1733, 0x0005, 0x0000}), 2 * kMs);
    EXPECT_EQ(sendStatusRequest(), 1);
    EXPECT_EQ(response_[1], 0x0005);
    EXPECT_EQ(response_[3], 0x0000);
    EXPECT_EQ(console_.text().rfind("\n6 - 8 , Incompatible reception with command.\n", 0), 0u);
}

TEST_F(IspExchange, SilentLineCostsElevenWaitsAndOneWrite) {
    EXPECT_EQ(sendStatusRequest(), 0);
    std::string retries;
    for (int i = 0; i < 10; ++i) retries += "Timeout. Retry...SendISP\n";
    EXPECT_EQ(console_.text(), retries + "Unable to send command. Exit.SendISP\n");
    EXPECT_EQ(simport::written(), kStatusRequestWire);
    EXPECT_GE(simport::now(), 33000 * kMs);
    EXPECT_LT(simport::now(), 33100 * kMs);
}

TEST_F(IspExchange, ReplyCompletedPastTheDeadlineCostsOneMoreWait) {
    ASSERT_LT(simport::now(), kMs);
    peer_.sendAt(3001 * kMs, wire::packet({0x0733, 0x0005}));
    peer_.sendAt(4000 * kMs, wire::packet({0x0733, 0x0007}));
    EXPECT_EQ(sendStatusRequest(), 1);
    EXPECT_EQ(response_[1], 0x0007);
    EXPECT_EQ(console_.text(), "Timeout. Retry...SendISP\n");
}

TEST_F(IspExchange, RefusalAfterFiveTimeoutsGivesUp) {
    const wire::Words reply = wire::withChecksum({0x1002, 0x0632, 0x0001});
    peer_.sendAt(15500 * kMs, wire::encode(reply));
    EXPECT_EQ(sendStatusRequest(), 0);
    std::string retries;
    for (int i = 0; i < 5; ++i) retries += "Timeout. Retry...SendISP\n";
    EXPECT_EQ(console_.text(), retries + "\nUnable to send command. Exit.\n" + hexWords(reply));
}

TEST_F(IspExchange, FailedWriteEndsTheExchangeAtOnce) {
    closeSimPort();
    EXPECT_EQ(sendStatusRequest(), 0);
    EXPECT_EQ(console_.text(), "");
    EXPECT_EQ(simport::now(), 0u);
    ASSERT_TRUE(openSimPort(peer_));
}

}  // namespace
