// The ISP packet's byte encoding, pinned by every byte value against the
// card model's own coding. (The checksum and the status request's worked
// example are pinned, bytes on the wire included, by the exchange tests.)
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "link/isp_link.h"
#include "sim/vxp/isp_packet.h"

namespace {

std::string asString(const unsigned char* bytes, int count) {
    return std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(count));
}

// All 256 values in one body: exactly NUL, tab, line feed, carriage return
// and '=' (once offset by 42) are escaped, and the body decodes back.
TEST(IspPacket, EveryByteValueIsEncodedAndDecodedBack) {
    unsigned char data[256];
    sim::isp::Words words;
    for (int i = 0; i < 256; ++i) data[i] = static_cast<unsigned char>(i);
    for (int i = 0; i < 256; i += 2) words.push_back(static_cast<std::uint16_t>(i | (i + 1) << 8));
    unsigned char encoded[600];
    encoded[2 + 256 + 5 + 1] = 0x55;
    int count = yEncode(encoded, data, 256);
    EXPECT_EQ(count, 2 + 256 + 5 + 1);
    EXPECT_EQ(asString(encoded, count), sim::isp::wireForm(words));
    EXPECT_EQ(encoded[count], 0) << "the encoded form ends in an uncounted zero byte";

    unsigned char decoded[256];
    ASSERT_EQ(yDecode(decoded, encoded + 2, count - 3), 256);
    EXPECT_EQ(asString(decoded, 256), asString(data, 256));
}

}  // namespace
