// The ISP packet's checksum, its byte encoding on the wire and its printing.
#include <cstdio>

#include "link/isp_link.h"
#include "link/isp_header.h"

namespace {

constexpr unsigned char kEscape = '=';
constexpr unsigned char kStart = 'G';
constexpr unsigned char kEnd = 0x0D;
constexpr unsigned char kOffset = 42;
constexpr unsigned char kEscapeOffset = 64;

// Bytes that may not appear in a packet's body once offset: NUL, tab, line
// feed, carriage return and the escape itself.
bool needsEscape(unsigned char e) { return e == 0x00 || e == 0x09 || e == 0x0A || e == kEnd || e == kEscape; }

std::uint16_t sumOfWords(const std::uint16_t* msg) {
    int words = ispPacketWords(msg[0]);
    std::uint16_t sum = 0;
    for (int i = 0; i < words - 1; ++i) sum = static_cast<std::uint16_t>(sum + msg[i]);
    return sum;
}

}  // namespace

void createChecksum(std::uint16_t* msg) {
    msg[ispPacketWords(msg[0]) - 1] = static_cast<std::uint16_t>(-sumOfWords(msg));
}

char checksumOK(const std::uint16_t* msg) {
    std::uint16_t expected = static_cast<std::uint16_t>(-sumOfWords(msg));
    return msg[ispPacketWords(msg[0]) - 1] == expected ? 1 : 0;
}

int yEncode(unsigned char* encoded, const unsigned char* data, int length) {
    int count = 0;
    encoded[count++] = kEscape;
    encoded[count++] = kStart;
    for (int i = 0; i < length; ++i) {
        unsigned char e = static_cast<unsigned char>(data[i] + kOffset);
        if (needsEscape(e)) {
            encoded[count++] = kEscape;
            encoded[count++] = static_cast<unsigned char>(e + kEscapeOffset);
        } else {
            encoded[count++] = e;
        }
    }
    encoded[count++] = kEnd;
    encoded[count] = 0;
    return count;
}

int yDecode(unsigned char* decoded, const unsigned char* data, int length) {
    int count = 0;
    for (int i = 0; i < length; ++i) {
        unsigned char b = data[i];
        if (b == kEscape) {
            // An escape as the body's last byte has nothing to apply to.
            if (++i == length) break;
            b = static_cast<unsigned char>(data[i] - kEscapeOffset);
        }
        decoded[count++] = static_cast<unsigned char>(b - kOffset);
    }
    return count;
}

void printMsg(const std::uint16_t* msg) {
    int words = ispPacketWords(msg[0]);
    for (int i = 0; i < words; ++i) printf("0x%04x ", msg[i]);
    printf("\n");
}
