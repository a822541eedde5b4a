// The card's reading and writing of ISP packets: 16-bit words (a header
// with the count N in bits 15-12 and the code in bits 11-0, N+1 argument
// words, a checksum making all words add up to 0), sent low byte first,
// each byte offset by 42 and escaped with '=' where it would be a control
// character or '=', framed by "=G" and a carriage return.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim::isp {

using Words = std::vector<std::uint16_t>;

inline std::uint16_t codeOf(std::uint16_t header) { return header & 0x0FFF; }
inline unsigned countOf(std::uint16_t header) { return header >> 12; }

// The packet with `code`, the argument words `args` (1 to 16 of them) and
// its checksum.
Words makePacket(std::uint16_t code, const Words& args);

// The packet on the wire: "=G", the encoded bytes, a carriage return.
std::string wireForm(const Words& packet);

struct Decoded {
    Words words;              // as many whole words as the body held
    bool codingOk = true;     // no byte the coding never sends: a raw NUL, tab or line
                              // feed, or an escape not followed by one of its five forms
    bool wellFormed = false;  // 3 to 18 words, as many as the header announces
    bool checksumOk = false;
};

// Reads the bytes between "=G" and the carriage return.
Decoded decodeBody(std::string_view body);

}  // namespace sim::isp
