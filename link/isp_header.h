// The ISP packet's header, word 0: bits 15 to 12 hold the count N (the
// packet carries N+1 argument words), bits 11 to 0 the command code (in a
// command) or the reply code (in a reply). Then come the arguments and the
// checksum.
#pragma once

#include <cstdint>

constexpr int kIspCountShift = 12;
constexpr std::uint16_t kIspCodeMask = 0x0FFF;

// Most words a packet can have: header, 16 arguments, checksum.
constexpr int kIspMaxWords = 18;

// The command or reply code.
constexpr unsigned ispCode(std::uint16_t header) { return header & kIspCodeMask; }

// The N+1 argument words (in a data reply, the data words).
constexpr int ispArgumentWords(std::uint16_t header) { return (header >> kIspCountShift) + 1; }

// Header, N+1 arguments and the checksum.
constexpr int ispPacketWords(std::uint16_t header) { return ispArgumentWords(header) + 2; }
