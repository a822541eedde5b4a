// The card's side of the ISP packet's byte forms, written apart from the
// tool's code, so that a test of the tool does not check its code against
// itself: packets built as the video processor sends them, and packets taken
// back from what the tool wrote.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace wire {

using Words = std::vector<std::uint16_t>;

// Adds the checksum: the words then sum to 0 modulo 65536.
inline Words withChecksum(Words words) {
    std::uint32_t sum = 0;
    for (std::uint16_t w : words) sum += w;
    words.push_back(static_cast<std::uint16_t>(0x10000u - (sum & 0xFFFFu)));
    return words;
}

// '=G', the words low byte first, each byte offset by 42 and escaped, '\r'.
inline std::string encode(const Words& words) {
    static const std::string kEscaped("\x00\x09\x0A\x0D\x3D", 5);
    std::string out = "=G";
    for (std::uint16_t w : words) {
        for (unsigned byte : {w & 0xFFu, static_cast<unsigned>(w >> 8)}) {
            char e = static_cast<char>((byte + 42) % 256);
            if (kEscaped.find(e) != std::string::npos) {
                out += '=';
                out += static_cast<char>((static_cast<unsigned char>(e) + 64) % 256);
            } else {
                out += e;
            }
        }
    }
    return out + '\r';
}

// A reply packet as it travels: the checksum added and the bytes encoded.
inline std::string packet(const Words& words) { return encode(withChecksum(words)); }

// An acknowledgement of `command`: reply code = command code + 0x101, word 1 = the command code.
inline std::string ack(std::uint16_t commandHeader) {
    std::uint16_t code = commandHeader & 0x0FFF;
    return packet({static_cast<std::uint16_t>(code + 0x101), code});
}

// A refusal of `command`: code 2, word 1 = the refused code, word 2 = `reason`.
inline std::string nack(std::uint16_t refusedCode, std::uint16_t reason = 0x0001) {
    return packet({0x1002, refusedCode, reason});
}

// The body of one packet ('=G' and '\r' removed) decoded into words.
inline Words decodeBody(const std::string& body) {
    std::string bytes;
    for (std::size_t i = 0; i < body.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(body[i]);
        if (b == '=' && i + 1 < body.size()) b = static_cast<unsigned char>(body[++i] - 64);
        bytes += static_cast<char>(static_cast<unsigned char>(b - 42));
    }
    Words words;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        words.push_back(static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[i]) |
                                                   static_cast<unsigned char>(bytes[i + 1]) << 8));
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

// Every packet in what the tool wrote, in order (micro commands skipped).
inline std::vector<Words> packetsIn(const std::string& written) {
    std::vector<Words> packets;
    std::size_t at = 0;
    while ((at = written.find("=G", at)) != std::string::npos) {
        std::size_t end = written.find('\r', at);
        if (end == std::string::npos) break;
        packets.push_back(decodeBody(written.substr(at + 2, end - at - 2)));
        at = end + 1;
    }
    return packets;
}

}  // namespace wire
