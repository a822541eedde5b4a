// The ISP packet link against a scripted far end: the reply's framing and deadline,
// and every way an exchange can end.
#include <array>

#include "port/port.h"
#include "link/isp_link.h"
#include "tests/support/card_run.h"
#include "tests/support/console_capture.h"
#include "tests/support/scripted_peer.h"

namespace {

constexpr sim::Nanos kMs = ScriptedPeer::kMs;
using sim::isp::Words;
const std::string kStatusRequestWire("\x3D\x47\x5C\x30\x2A\x2A\xF8\x23\x0D");

// The card's byte forms, from the card model's own coding.
std::string encode(const Words& words) { return sim::isp::wireForm(words); }

const std::string kReply = packet(0x733, {5});
using Sends = std::vector<std::pair<sim::Nanos, std::string>>;

class IspExchange : public ::testing::Test {
protected:
    void TearDown() override { closeSimPort(); }

    // A fresh line whose far end sends `sends`; the first wait begins at tick 0.
    void openLine(const Sends& sends, DWORD startTick = 0x1000) {
        peer_ = ScriptedPeer();
        ASSERT_TRUE(openSimPort(peer_, startTick));
        ASSERT_LT(simport::now(), kMs);
        for (const auto& [at, bytes] : sends) peer_.sendAt(at, bytes);
        response_ = {};
    }

    int sendStatusRequest() { return sendISPCmd(msg_, response_.data(), 0); }

    ScriptedPeer peer_;
    ConsoleCapture console_;
    std::uint16_t msg_[3] = {0x0632, 0x0000, 0};
    std::array<std::uint16_t, 18> response_{};
};

TEST_F(IspExchange, ReaderGivesUpAnUnendingPacketAt255Bytes) {
    openLine({{2 * kMs, "=G" + std::string(300, 'a')}});
    unsigned char area[256] = {};
    EXPECT_EQ(ReadISPResponse(area), 255);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(area), 255), "=G" + std::string(253, 'a'));
}

// The reply found among noise and judged by its form. A wait's deadline has passed
// once tick 3001 begins; a packet completed in that read still counts, a later one
// is the next wait's. Eleven waits on a silent line; a refusal after four time-outs
// is retried, after five not. Each case ends at `endsAt` (within 100 ms).
TEST_F(IspExchange, ReplyFormAndTimeoutsDecideTheExchange) {
    const Words own = sim::isp::makePacket(0x002, {0x0632, 0x0001});
    const Words other = sim::isp::makePacket(0x002, {0x0501, 0x1234});
    const std::string ownPrinted = "0x1002 0x0632 0x0001 0xe9cb \n",
                      otherPrinted = "0x1002 0x0501 0x1234 0xd8c9 \n";
    const std::string nack = "\nNACK received. Retry ... \n0x0632 0x0000 0xf9ce \n";
    const auto timeouts = [](int n) {
        std::string text;
        while (n-- > 0) text += "Timeout. Retry...SendISP\n";
        return text;
    };
    const auto at2ms = [](const std::string& reply) { return Sends{{2 * kMs, reply}}; };
    // clang-format off
    const struct {
        Sends sends;
        int result;
        std::string text;
        sim::Nanos endsAt = 0;
        std::uint16_t word1 = 5;  // of an accepted reply
        DWORD startTick = 0x1000;
        bool firstReadFails = false;
    } cases[] = {
        {at2ms(kReply), 1, ""},
        {at2ms("ab=x==G" + kReply.substr(2) + "tail"), 1, ""},           // noise and false starts
        {{{2 * kMs, "=G\x30\x31"}, {4 * kMs, "\x32" + kReply}}, 1, ""},  // a second start restarts
        {{{3001 * kMs - 1, kReply}}, 1, "", 3000 * kMs},
        {{{2500 * kMs, kReply}}, 1, "", 2500 * kMs, 5, 0xFFFFFFFFu - 1000},  // the tick counter wraps
        {{{0, kReply}}, 1, timeouts(1), 0, 5, 0x1000, true},                 // a failed read ends a wait
        // Refusals of this command and of another one, the latter with the GSPI mark.
        {at2ms(encode(own)), 0, nack + ownPrinted},
        {at2ms(encode(other)), 0,
         "GSPI Timeout\n" + nack + otherPrinted + "\nNACK on unknown command. 0x0501 != 0x0632\n"},
        // The command's own echo is a refusal.
        {at2ms(kStatusRequestWire), 0,
         nack + "0x0632 0x0000 0xf9ce \n\nNACK on unknown command. 0x0000 != 0x0632\n"},
        // A wrong checksum, or more bytes than the header announces, are reported; the reply counts.
        {at2ms(encode({0x0733, 0x0005, 0x1234})), 1, "Bad checksum\n"},
        {at2ms(packet(0x733, {5}).insert(8, "XY")), 1,
         "\n8 - 6 , Incompatible reception with command.\n"},
        // Fewer bytes than the header announces are refused, as is a reply too short.
        {at2ms(encode({0x1733, 0x0005, 0x0000})), 0,
         "\n6 - 8 , Incompatible reception with command.\nBad checksum\n" + nack +
             "0x1733 0x0005 0x0000 0x0000 \n\nNACK on unknown command. 0x0005 != 0x0632\n"},
        {at2ms("=G\r"), 0,
         "\n0 - 6 , Incompatible reception with command.\n" + nack +
             "0x0000 0x0000 0x0000 \n\nNACK on unknown command. 0x0000 != 0x0632\n"},
        // An escape as the body's last byte has nothing to apply to: one byte, not two.
        {at2ms("=G\x2B=\r"), 0,
         "\n1 - 6 , Incompatible reception with command.\nBad checksum\n" + nack +
             "0x0001 0x0000 0x0000 \n\nNACK on unknown command. 0x0000 != 0x0632\n"},
        {at2ms(encode({0x0733, 0x0632})), 0,
         "\n4 - 6 , Incompatible reception with command.\nBad checksum\n" + nack + "0x0733 0x0632 0x0000 \n"},
        {{}, 0, timeouts(10) + "Unable to send command. Exit.SendISP\n", 33000 * kMs},
        {{{3001 * kMs, kReply}}, 1, "", 3001 * kMs},
        {{{2999 * kMs, "=G\x30"}, {3300 * kMs, kReply}}, 1, timeouts(1), 3300 * kMs},
        {{{12500 * kMs, encode(own)}}, 0, timeouts(4) + nack + ownPrinted, 12500 * kMs},
        {{{15500 * kMs, encode(own)}}, 0,
         timeouts(5) + "\nUnable to send command. Exit.\n" + ownPrinted, 15500 * kMs},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        openLine(c.sends, c.startTick);
        if (c.firstReadFails) simport::failReads(ERROR_GEN_FAILURE, 0, 1);
        std::size_t from = console_.text().size();
        EXPECT_EQ(sendStatusRequest(), c.result);
        EXPECT_EQ(simport::written(), kStatusRequestWire) << "checksummed, sent once";
        EXPECT_EQ(msg_[2], 0xF9CE) << "the checksum is written into the command";
        if (c.result == 1) {
            EXPECT_EQ(response_[0] & 0x0FFF, 0x0733);
            EXPECT_EQ(response_[1], c.word1) << "the caller reads the accepted reply";
        }
        EXPECT_EQ(console_.text().substr(from), c.text);
        EXPECT_GE(simport::now(), c.endsAt);
        EXPECT_LT(simport::now(), c.endsAt + 100 * kMs);
    }
}

// A write that fails, or moves no byte in its time-out, ends the exchange at once.
TEST_F(IspExchange, FailedWriteEndsTheExchangeAtOnce) {
    for (bool closed : {true, false}) {
        openLine({});
        if (closed) {
            closeSimPort();
        } else {
            simport::stallWrites(1);
        }
        EXPECT_EQ(sendStatusRequest(), 0);
        EXPECT_EQ(console_.text(), "");
        EXPECT_EQ(simport::now(), 0u);
    }
}

}  // namespace
