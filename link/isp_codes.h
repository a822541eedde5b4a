// The ISP packets' codes as the tool sends them, and the header word each
// packet opens with. Word 0 of a packet: bits 15 to 12 hold the count N (the
// packet carries N+1 argument words), bits 11 to 0 the command code (in a
// command) or the reply code (in a reply). Then come the arguments and the
// checksum.
#pragma once

#include <cstdint>

constexpr int kIspCountShift = 12;
constexpr std::uint16_t kIspCodeMask = 0x0FFF;

// Most words a packet can have: header, 16 arguments, checksum.
constexpr int kIspMaxWords = 18;

// Command codes.
constexpr std::uint16_t kIspDriverBlock = 0x50D;  // 16 bytes of the driver: address word, address, 8 words
constexpr std::uint16_t kIspCallDriver = 0x802;   // start the driver: its address / 16, 0, 0x3300, 0
constexpr std::uint16_t kIspSetMode = 0x502;      // mode, device, start (2 words), length (2 words)
constexpr std::uint16_t kIspImageBlock = 0x501;   // 32 bytes of an image: 16 words
constexpr std::uint16_t kIspModeStatus = 0x632;   // the mode and device selected
constexpr std::uint16_t kIspReadBlock = 0x639;    // the next 32 bytes of the device
constexpr std::uint16_t kIspDeviceName = 0x633;   // the video processor's name
constexpr std::uint16_t kIspVxpStatus = 0x62F;    // its status
constexpr std::uint16_t kIspCalibration = 0x61A;  // a calibration result: two words name it

// Reply codes: the data of a read request, and a refusal (NACK).
constexpr std::uint16_t kIspReadReply = 0x73A;
constexpr std::uint16_t kIspNack = 0x002;

// The modes of Set ISP mode.
constexpr std::uint16_t kIspModeWrite = 0x0100;
constexpr std::uint16_t kIspModeRead = 0x0200;

// The header word of a packet of `code` with `arguments` argument words (1 to 16).
constexpr std::uint16_t ispHeader(std::uint16_t code, int arguments) {
    return static_cast<std::uint16_t>((arguments - 1) << kIspCountShift | code);
}

// The command or reply code.
constexpr unsigned ispCode(std::uint16_t header) { return header & kIspCodeMask; }

// The N+1 argument words (in a data reply, the data words).
constexpr int ispArgumentWords(std::uint16_t header) { return (header >> kIspCountShift) + 1; }

// Header, N+1 arguments and the checksum.
constexpr int ispPacketWords(std::uint16_t header) { return ispArgumentWords(header) + 2; }

static_assert(ispHeader(kIspDriverBlock, 10) == 0x950D && ispHeader(kIspCallDriver, 4) == 0x3802 &&
                  ispHeader(kIspSetMode, 6) == 0x5502 && ispHeader(kIspImageBlock, 16) == 0xF501 &&
                  ispHeader(kIspModeStatus, 1) == 0x0632 && ispHeader(kIspCalibration, 2) == 0x161A,
              "the headers the packets open with");
