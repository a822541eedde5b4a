// The card's side of the ISP packet's byte forms, written apart from the
// tool's code so that a test does not check the tool against itself.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace wire {

using Words = std::vector<std::uint16_t>;

// Adds the checksum: the words then sum to 0 modulo 65536.
inline Words withChecksum(Words words) {
    std::uint16_t sum = 0;
    for (std::uint16_t w : words) sum = static_cast<std::uint16_t>(sum + w);
    words.push_back(static_cast<std::uint16_t>(-sum));
    return words;
}

// '=G', the words low byte first, each byte offset by 42 and escaped, '\r'.
inline std::string encode(const Words& words) {
    static const std::string kEscaped("\x00\x09\x0A\x0D\x3D", 5);
    std::string out = "=G";
    for (std::uint16_t w : words) {
        for (unsigned byte : {w & 0xFFu, static_cast<unsigned>(w >> 8)}) {
            char e = static_cast<char>(byte + 42);
            if (kEscaped.find(e) != std::string::npos) out += {'=', static_cast<char>(e + 64)};
            else out += e;
        }
    }
    return out + '\r';
}

inline std::string packet(const Words& words) { return encode(withChecksum(words)); }

// A refusal: code 2, word 1 = the refused code, word 2 = `reason`.
inline std::string nack(std::uint16_t refusedCode, std::uint16_t reason = 0x0001) {
    return packet({0x1002, refusedCode, reason});
}

// The body of one packet ('=G' and '\r' removed) decoded into words.
inline Words decodeBody(const std::string& body) {
    Words words;
    for (std::size_t i = 0, count = 0; i < body.size(); ++i, ++count) {
        unsigned b = static_cast<unsigned char>(body[i]);
        if (b == '=' && i + 1 < body.size()) b = static_cast<unsigned char>(body[++i]) - 64u;
        b = (b - 42u) & 0xFFu;
        if (count % 2 == 0) words.push_back(static_cast<std::uint16_t>(b));
        else words.back() = static_cast<std::uint16_t>(words.back() | b << 8);
    }
    return words;
}

// A packet as the tool prints it: each word as "0x%04x ", then a line feed.
inline std::string hexWords(const Words& words) {
    std::string out;
    char word[8];
    for (std::uint16_t w : words) {
        std::snprintf(word, sizeof word, "0x%04x ", w);
        out += word;
    }
    return out + "\n";
}

}  // namespace wire
