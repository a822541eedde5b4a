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
// here): it has passed once tick 3001 begins, at 3001 ms. A packet completed
// in the read in which it passes is a time-out.
TEST_F(IspExchange, ReaderTakesOnlyAPacketCompletedBeforeTheDeadlinePasses) {
    const std::string packet = wire::packet({0x0733, 5});
    for (sim::Nanos at : {3001 * kMs - 1, 3001 * kMs}) {
        SCOPED_TRACE(at);
        ScriptedPeer peer;
        ASSERT_TRUE(openSimPort(peer));
        ASSERT_LT(simport::now(), kMs);
        peer.sendAt(at, packet);
        EXPECT_EQ(readPacket(), at < 3001 * kMs ? packet : "");
        EXPECT_LT(simport::now(), 3010 * kMs);
    }
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

TEST_F(IspExchange, ReplyIsJudgedAndReportedByItsForm) {
    const wire::Words own = wire::withChecksum({0x1002, 0x0632, 0x0001});
    const wire::Words other = wire::withChecksum({0x1002, 0x0501, 0x1234});
    const std::string nack = "\nNACK received. Retry ... \n0x0632 0x0000 0xf9ce \n";
    const struct {
        std::string reply;
        int result;
        std::string text;
    } cases[] = {
        // Refusals of this command and of another one, the latter with the GSPI mark.
        {wire::encode(own), 0, nack + wire::hexWords(own)},
        {wire::encode(other), 0,
         "GSPI Timeout\n" + nack + wire::hexWords(other) + "\nNACK on unknown command. 0x0501 != 0x0632\n"},
        // A wrong checksum, or fewer words than the header announces, are reported; the reply counts.
        {wire::encode({0x0733, 0x0005, 0x1234}), 1, "Bad checksum\n"},
        {wire::encode({0x1733, 0x0005, 0x0000}), 1,
         "\n6 - 8 , Incompatible reception with command.\nBad checksum\n"},
        // Under six bytes there is no whole packet: padded with zero words it
        // would pass for a valid reply of code 0, so it is refused instead.
        {"=G\r", 0,
         "\n0 - 6 , Incompatible reception with command.\n" + nack +
             "0x0000 0x0000 0x0000 \n\nNACK on unknown command. 0x0000 != 0x0632\n"},
        {wire::encode({0x0733, 0x0632}), 0,
         "\n4 - 6 , Incompatible reception with command.\nBad checksum\n" + nack + "0x0733 0x0632 0x0000 \n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ScriptedPeer peer;
        ASSERT_TRUE(openSimPort(peer));
        std::size_t from = console_.text().size();
        peer.onWrite("\r", c.reply, 2 * kMs);
        EXPECT_EQ(sendStatusRequest(), c.result);
        if (c.result == 1) {
            EXPECT_EQ(response_[1], 0x0005) << "the caller reads the accepted reply";
        }
        EXPECT_EQ(console_.text().substr(from), c.text);
    }
}

TEST_F(IspExchange, EchoOfTheCommandIsARefusal) {
    peer_.onWrite("\r", kStatusRequestWire, 2 * kMs);
    EXPECT_EQ(sendStatusRequest(), 0);
    EXPECT_NE(console_.text().find("\nNACK received. Retry ... \n"), std::string::npos);
    EXPECT_EQ(simport::written(), kStatusRequestWire) << "the link never sends again itself";
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

// Each wait ends 3001 ms after it began: a reply at 12.5 s follows four
// time-outs, one at 15.5 s five.
TEST_F(IspExchange, RefusalGivesUpOnlyAfterMoreThanFourTimeouts) {
    const wire::Words reply = wire::withChecksum({0x1002, 0x0632, 0x0001});
    std::string retries;
    for (int i = 0; i < 4; ++i) retries += "Timeout. Retry...SendISP\n";
    const struct {
        sim::Nanos at;
        std::string text;
    } cases[] = {
        {12500 * kMs,
         retries + "\nNACK received. Retry ... \n0x0632 0x0000 0xf9ce \n" + wire::hexWords(reply)},
        {15500 * kMs,
         retries + "Timeout. Retry...SendISP\n\nUnable to send command. Exit.\n" + wire::hexWords(reply)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.at);
        ScriptedPeer peer;
        ASSERT_TRUE(openSimPort(peer));
        std::size_t from = console_.text().size();
        peer.sendAt(c.at, wire::encode(reply));
        EXPECT_EQ(sendStatusRequest(), 0);
        EXPECT_EQ(console_.text().substr(from), c.text);
    }
}

TEST_F(IspExchange, FailedWriteEndsTheExchangeAtOnce) {
    closeSimPort();
    EXPECT_EQ(sendStatusRequest(), 0);
    EXPECT_EQ(console_.text(), "");
    EXPECT_EQ(simport::now(), 0u);
    ASSERT_TRUE(openSimPort(peer_));
}

}  // namespace
