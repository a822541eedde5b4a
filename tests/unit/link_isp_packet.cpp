// The ISP packet's checksum and byte encoding, pinned by the worked example
// of the status request and by every byte value.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "link/isp_link.h"
#include "tests/support/console_capture.h"

namespace {

std::string asString(const unsigned char* bytes, int count) {
    return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(count));
}

TEST(IspPacket, StatusRequestHasTheWorkedExampleChecksumAndWireForm) {
    std::uint16_t msg[3] = {0x0632, 0x0000, 0x1111};
    createChecksum(msg);
    EXPECT_EQ(msg[2], 0xF9CE);
    EXPECT_EQ(checksumOK(msg), 1);

    const unsigned char serialised[6] = {0x32, 0x06, 0x00, 0x00, 0xCE, 0xF9};
    unsigned char encoded[32];
    encoded[9] = 0x55;
    int count = yEncode(encoded, serialised, 6);
    EXPECT_EQ(asString(encoded, count), std::string("\x3D\x47\x5C\x30\x2A\x2A\xF8\x23\x0D"));
    EXPECT_EQ(encoded[9], 0) << "the encoded form ends in an uncounted zero byte";

    unsigned char decoded[16];
    ASSERT_EQ(yDecode(decoded, encoded + 2, count - 3), 6);
    EXPECT_EQ(asString(decoded, 6), asString(serialised, 6));
}

TEST(IspPacket, ChecksumCoversExactlyTheAnnouncedWords) {
    // N = 5: header, six arguments, the checksum in word 7; word 8 is not part of it.
    std::uint16_t msg[9] = {0x5502, 0x0100, 0x0005, 0x0100, 0x0000, 0xFF00, 0x0001, 0, 0xBEEF};
    createChecksum(msg);
    std::uint16_t sum = 0;
    for (int i = 0; i < 8; ++i) sum = static_cast<std::uint16_t>(sum + msg[i]);
    EXPECT_EQ(sum, 0);
    EXPECT_EQ(msg[8], 0xBEEF);

    msg[3] ^= 0x0001;
    EXPECT_EQ(checksumOK(msg), 0);
}

TEST(IspPacket, EveryByteValueSurvivesAndOnlyFiveAreEscaped) {
    const std::set<int> escaped{0xD6, 0x13, 0xDF, 0xE0, 0xE3};
    const std::set<int> escapeSeconds{0x40, 0x7D, 0x49, 0x4A, 0x4D};
    for (int value = 0; value < 256; ++value) {
        unsigned char data[1] = {static_cast<unsigned char>(value)};
        unsigned char encoded[8];
        int count = yEncode(encoded, data, 1);
        bool isEscaped = escaped.count(value) != 0;
        ASSERT_EQ(count, isEscaped ? 5 : 4) << "value " << value;
        EXPECT_EQ(encoded[0], '=');
        EXPECT_EQ(encoded[1], 'G');
        EXPECT_EQ(encoded[count - 1], 0x0D);
        if (isEscaped) {
            EXPECT_EQ(encoded[2], '=');
            EXPECT_EQ(escapeSeconds.count(encoded[3]), 1u) << "value " << value;
        } else {
            EXPECT_EQ(encoded[2], static_cast<unsigned char>(value + 42));
        }
        unsigned char decoded[4];
        ASSERT_EQ(yDecode(decoded, encoded + 2, count - 3), 1);
        EXPECT_EQ(decoded[0], value);
    }
}

TEST(IspPacket, BodyNeverHoldsControlBytesOrAnUnescapedStart) {
    // All 256 values in one body: no raw NUL, tab, line feed or carriage
    // return inside, and no "=G" after the start.
    unsigned char data[256];
    for (int i = 0; i < 256; ++i) data[i] = static_cast<unsigned char>(i);
    unsigned char encoded[600];
    int count = yEncode(encoded, data, 256);
    EXPECT_EQ(count, 2 + 256 + 5 + 1);
    std::string body = asString(encoded + 2, count - 3);
    for (char c : std::string("\x00\x09\x0A\x0D", 4)) EXPECT_EQ(body.find(c), std::string::npos);
    EXPECT_EQ(body.find("=G"), std::string::npos);

    unsigned char decoded[256];
    ASSERT_EQ(yDecode(decoded, encoded + 2, count - 3), 256);
    EXPECT_EQ(asString(decoded, 256), asString(data, 256));
}

TEST(IspPacket, AnEscapeAtTheBodysEndIsDropped) {
    const unsigned char body[3] = {0x2B, 0x3D, 0x3D};  // 0x01, then "=" with nothing to apply to
    unsigned char decoded[4] = {0xAA, 0xAA, 0xAA, 0xAA};
    EXPECT_EQ(yDecode(decoded, body, 2), 1);
    EXPECT_EQ(decoded[0], 0x01);
    EXPECT_EQ(decoded[1], 0xAA);
}

TEST(IspPacket, PrintMsgPrintsTheAnnouncedWordsWithTrailingBlanks) {
    ConsoleCapture console;
    const std::uint16_t msg[5] = {0x0632, 0x0000, 0xF9CE, 0x1234, 0x5678};
    printMsg(msg);
    const std::uint16_t longer[5] = {0x1002, 0x0501, 0x0004, 0xEAF9, 0x5678};
    printMsg(longer);
    EXPECT_EQ(console.text(), "0x0632 0x0000 0xf9ce \n0x1002 0x0501 0x0004 0xeaf9 \n");
}

}  // namespace
