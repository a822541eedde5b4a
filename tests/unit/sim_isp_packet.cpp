// The card's own reading and writing of ISP packets, pinned to the worked
// example of the packet encoding.
#include <gtest/gtest.h>

#include "sim/isp_packet.h"

namespace {

using sim::isp::Words;

TEST(SimIspPacket, StatusRequestWorkedExample) {
    Words packet = sim::isp::makePacket(0x632, {0x0000});
    EXPECT_EQ(packet, (Words{0x0632, 0x0000, 0xF9CE}));
    EXPECT_EQ(sim::isp::wireForm(packet), "\x3D\x47\x5C\x30\x2A\x2A\xF8\x23\x0D");

    sim::isp::Decoded decoded = sim::isp::decodeBody("\x5C\x30\x2A\x2A\xF8\x23");
    EXPECT_EQ(decoded.words, packet);
    EXPECT_TRUE(decoded.wellFormed);
    EXPECT_TRUE(decoded.checksumOk);
}

// The encoded bytes between "=G" and the carriage return.
std::string bodyOf(const Words& packet) {
    std::string wire = sim::isp::wireForm(packet);
    return wire.substr(2, wire.size() - 3);
}

TEST(SimIspPacket, ExactlyFiveByteValuesAreEscaped) {
    const std::pair<std::uint8_t, std::string> escaped[] = {
        {0xD6, "\x3D\x40"}, {0x13, "\x3D\x7D"}, {0xDF, "\x3D\x49"},
        {0xE0, "\x3D\x4A"}, {0xE3, "\x3D\x4D"}};
    for (auto& [value, form] : escaped) {
        // Word 1 is 0xVVVV: its two bytes both take the escaped form.
        Words packet = sim::isp::makePacket(0x632, {static_cast<std::uint16_t>(value * 0x101)});
        EXPECT_NE(bodyOf(packet).find(form + form), std::string::npos) << int(value);
    }
    int escapes = 0;
    for (int value = 0; value < 256; ++value) {
        Words packet = sim::isp::makePacket(0x632, {static_cast<std::uint16_t>(value)});
        std::string body = bodyOf(packet);
        escapes += body.substr(2, 2).front() == '=' ? 1 : 0;
        EXPECT_EQ(body.find('\r'), std::string::npos);
        EXPECT_EQ(sim::isp::decodeBody(body).words, packet) << value;
    }
    EXPECT_EQ(escapes, 5);
}

TEST(SimIspPacket, LongestPacketRoundTrips) {
    Words args(16);
    for (std::size_t i = 0; i < args.size(); ++i) args[i] = static_cast<std::uint16_t>(0x13D6 * (i + 1));
    Words packet = sim::isp::makePacket(0x501, args);
    EXPECT_EQ(packet.size(), 18u);
    EXPECT_EQ(packet[0], 0xF501);
    sim::isp::Decoded decoded = sim::isp::decodeBody(bodyOf(packet));
    EXPECT_EQ(decoded.words, packet);
    EXPECT_TRUE(decoded.checksumOk);
}

TEST(SimIspPacket, MalformedBodiesAreRecognised) {
    std::string body = bodyOf(sim::isp::makePacket(0x632, {0x0001}));
    EXPECT_FALSE(sim::isp::decodeBody(body.substr(0, body.size() - 2)).wellFormed);  // a word short
    EXPECT_FALSE(sim::isp::decodeBody(body.substr(0, body.size() - 1)).wellFormed);  // odd length
    EXPECT_FALSE(sim::isp::decodeBody(body + "=").wellFormed);                       // dangling escape
    EXPECT_FALSE(sim::isp::decodeBody("").wellFormed);

    std::string damaged = body;
    damaged[2] = static_cast<char>(damaged[2] + 1);
    sim::isp::Decoded decoded = sim::isp::decodeBody(damaged);
    EXPECT_TRUE(decoded.wellFormed);
    EXPECT_FALSE(decoded.checksumOk);
}

}  // namespace
