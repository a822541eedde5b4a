// The card's own reading and writing of ISP packets, pinned to the worked
// example of the packet encoding.
#include <gtest/gtest.h>

#include "sim/vxp/isp_packet.h"

namespace {

using sim::isp::Words;

// The encoded bytes between "=G" and the carriage return.
std::string bodyOf(const Words& packet) {
    std::string wire = sim::isp::wireForm(packet);
    EXPECT_EQ(wire.substr(0, 2) + wire.back(), "=G\r");
    return wire.substr(2, wire.size() - 3);
}

TEST(SimIspPacket, StatusRequestWorkedExample) {
    Words packet = sim::isp::makePacket(0x632, {0x0000});
    EXPECT_EQ(packet, (Words{0x0632, 0x0000, 0xF9CE}));
    EXPECT_EQ(sim::isp::wireForm(packet), "\x3D\x47\x5C\x30\x2A\x2A\xF8\x23\x0D");
    sim::isp::Decoded decoded = sim::isp::decodeBody("\x5C\x30\x2A\x2A\xF8\x23");
    EXPECT_EQ(decoded.words, packet);
    EXPECT_TRUE(decoded.wellFormed && decoded.checksumOk);
}

TEST(SimIspPacket, ExactlyFiveByteValuesAreEscapedAndEveryValueRoundTrips) {
    const std::pair<std::uint8_t, std::string> escaped[] = {
        {0xD6, "\x3D\x40"}, {0x13, "\x3D\x7D"}, {0xDF, "\x3D\x49"}, {0xE0, "\x3D\x4A"}, {0xE3, "\x3D\x4D"}};
    for (auto& [value, form] : escaped) {
        // Word 1 is 0xVVVV: its two bytes both take the escaped form.
        Words packet = sim::isp::makePacket(0x632, {static_cast<std::uint16_t>(value * 0x101)});
        EXPECT_NE(bodyOf(packet).find(form + form), std::string::npos) << int(value);
    }
    int escapes = 0;
    for (int value = 0; value < 256; ++value) {
        Words packet = sim::isp::makePacket(0x632, {static_cast<std::uint16_t>(value)});
        std::string body = bodyOf(packet);
        escapes += body[2] == '=' ? 1 : 0;
        EXPECT_EQ(body.find('\r'), std::string::npos);
        EXPECT_EQ(sim::isp::decodeBody(body).words, packet) << value;
    }
    EXPECT_EQ(escapes, 5);
    // The longest packet: a code, sixteen words and the checksum.
    Words args(16);
    for (std::size_t i = 0; i < args.size(); ++i) args[i] = static_cast<std::uint16_t>(0x13D6 * (i + 1));
    Words longest = sim::isp::makePacket(0x501, args);
    EXPECT_EQ(longest.size(), 18u);
    EXPECT_EQ(longest[0], 0xF501);
    EXPECT_EQ(sim::isp::decodeBody(bodyOf(longest)).words, longest);
}

TEST(SimIspPacket, MalformedBodiesAreRecognised) {
    std::string body = bodyOf(sim::isp::makePacket(0x632, {0x0001}));
    for (const std::string& bad : {body.substr(0, body.size() - 2), body.substr(0, body.size() - 1), body + "=",
                                   std::string()}) {  // a word short, odd length, dangling escape, empty
        EXPECT_FALSE(sim::isp::decodeBody(bad).wellFormed) << bad.size();
    }
    body[2] = static_cast<char>(body[2] + 1);
    sim::isp::Decoded decoded = sim::isp::decodeBody(body);
    EXPECT_TRUE(decoded.wellFormed);
    EXPECT_FALSE(decoded.checksumOk);
}

}  // namespace
