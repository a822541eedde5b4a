// The length of an ISP packet, as its header word announces it.
#pragma once

#include <cstdint>

// Most words a packet can have: header, 16 arguments, checksum.
constexpr int kIspMaxWords = 18;

// Header, N+1 arguments and the checksum, N being bits 15 to 12 of the header.
constexpr int ispPacketWords(std::uint16_t header) { return (header >> 12) + 3; }
