// The simulated card's own choices: every value the tool does not pin down
// (reply codes, texts, processing and reset times, erase speed, capacities)
// lives here, with the reason for it, so there is one place to read them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sim/line/serial_peer.h"

namespace sim::choices {

constexpr Nanos kMicrosecond = 1000;
constexpr Nanos kMillisecond = 1000 * kMicrosecond;
constexpr Nanos kSecond = 1000 * kMillisecond;

// ---- Wire ----------------------------------------------------------------

// Bit rates the card listens at: the firmware (old or current) at 115200,
// the microcontroller's boot program at 9600.
constexpr std::uint32_t kFirmwareBaud = 115200;
constexpr std::uint32_t kBootBaud = 9600;

// A byte sent at one bit rate and received at another arrives as 0xFF (the
// receiver finds its start bit, then samples an idle line), in both
// directions. 0xFF means nothing to any of the card's or the tool's readers.
constexpr std::uint8_t kGarbageByte = 0xFF;

// Every reply leaves a paced card this long after the byte that completed
// the request has arrived; an unpaced card answers at once.
constexpr Nanos kProcessingDelay = 500 * kMicrosecond;

// Replies still waiting to reach the host beyond this many bytes are lost,
// as a full transmit buffer would lose them.
constexpr std::size_t kMaxPendingReplyBytes = 64 * 1024;

// Until the host sets its bit rate, it is taken to be 115200.
//
// Faults, each drawn from its own stream seeded by the seed, in the order
// the bytes cross the line (so a seed and the same conversation give the
// same faults):
//   noise:   before each byte the card sends, a random byte is sent first;
//   drop:    each byte, either way, is lost;
//   corrupt: each byte, either way, is XORed with a random non-zero value
//            (after a wrong bit rate has made it 0xFF, if it did);
//   nack:    each ISP packet the card would take is refused (kNackInjected);
//   late:    each reply leaves the card lateByMs later than it would;
//   silent:  the card takes everything in and sends nothing;
//   vanishAfter N: once the card has taken in N bytes it goes away: what
//            it had not sent by then is lost, nothing more goes either way.

// ---- Firmware text channel ----------------------------------------------
//
// The running firmware reads '#' up to a carriage return as a text command
// ("#DEVERSION" -> "#DEVERSION <variant digit> <firmware word>\r",
// "#DEVTYPE" -> "#DEVTYPE <model word>\r"), "=M" with a letter and a
// carriage return as a micro command, "=G" up to a carriage return as an
// ISP packet for the video processor, a 0x00 byte as a probe; anything
// else between requests is ignored. A second '#' restarts a text command,
// a second "=G" a packet.

// Answer to a 0x00 probe byte: 19 bytes, no '#'.
constexpr std::string_view kProbeAnswer = "\r\nCONVERTER READY\r\n";

// Answer to a '#' command the firmware does not know.
constexpr std::string_view kUnknownTextCommandAnswer = "#N\r";

// A text command longer than this (between '#' and the carriage return) is
// treated as unknown.
constexpr std::size_t kMaxTextCommand = 64;

// The old firmware answers every byte but "6" with its menu (no '#'); "6"
// starts the boot program, silently.
constexpr std::string_view kOldFirmwareMenu =
    "\r\nMAIN MENU\r\n1 - Setup\r\n$ - Status\r\n6 - Boot loader\r\n> ";
constexpr std::uint8_t kOldFirmwareBootKey = '6';

// The boot program (at power-up with bootMode, or after "6") listens at
// 9600 bit/s and answers nothing: its protocol is not modelled yet.

// ---- Microcontroller ----------------------------------------------------

// "=MP", "=MR", "=MA", "=ME" are answered "=M*", any other letter "=M~".
// =MP holds the video processor in reset (program mode); =MR releases it,
// and it runs again after kVxpResetTime: the ISP loader (accepting driver
// blocks) if =MP came before, its resident firmware otherwise. =MA ends a
// device download and leaves program mode; =ME ends the update run, leaves
// program mode and restarts the video processor into its resident firmware
// unless it already runs it. Both save the state files.
constexpr Nanos kVxpResetTime = 3 * kSecond;  // the tool waits 5 s

// ---- Video processor -----------------------------------------------------
//
// Packets reaching a video processor that is held in reset are lost (no
// reply); packets reaching it while it starts are taken, in order, when it
// has started (the microcontroller holds them). Every packet taken gets a
// reply:
//   - an acknowledgement with reply code = command code + 0x101 (the read
//     reply 0x73A follows the same rule), word 1 = the command code unless
//     the reply carries data;
//   - a refusal (NACK): code 2, word 1 = the refused command code (0 when
//     the packet could not be decoded), word 2 = one of the reasons below.
constexpr std::uint16_t kReplyCodeOffset = 0x101;
constexpr std::uint16_t kNackCode = 2;
constexpr std::uint16_t kNackNotNow = 0x0001;      // not accepted in this state
constexpr std::uint16_t kNackBadArguments = 0x0002;
constexpr std::uint16_t kNackBadPacket = 0x0003;   // bad checksum or framing
constexpr std::uint16_t kNackInjected = 0x0004;    // the --nack fault
constexpr std::uint16_t kNackErasing = 0x1234;     // a flash erase is running

// Which packets each program of the video processor answers:
//   resident firmware: 0x633, 0x62F, 0x61A (status report), 0x502 in read
//     mode, 0x632, 0x639 - so a flash device can be read back without a
//     driver; 0x502 in write mode is refused;
//   ISP loader (after =MP, =MR and the reset time): 0x50D, 0x802;
//   ISP driver (after 0x802): 0x502 (write and read), 0x501, 0x632, 0x639.
// Anything else is refused with kNackNotNow; a known code with another
// count in its header with kNackBadArguments.

// The ISP loader accepts driver blocks 0x50D into kDriverMemorySize bytes.
// The call-driver packet (words 0x0080, 0, 0x3300, 0) starts the driver when
// blocks were loaded contiguously from kDriverStart up to the last one.
constexpr std::uint32_t kDriverStart = 0x800;
constexpr std::uint32_t kDriverMemorySize = 0x10000;
constexpr std::uint16_t kCallDriverWords[4] = {0x0080, 0x0000, 0x3300, 0x0000};

// Which devices a started driver serves (bit n: device n) is told by the
// title its code opens with at kDriverStart: the parallel flash driver
// (FDriver.bin) serves devices 5 and 7, the serial flash driver
// (SFDriver.bin) device 1; the sample drivers carry these titles. A driver
// with neither title (a real driver file) serves devices 1, 5 and 7, so
// that it still works with the model. With a driver running, a Set ISP
// mode naming a device it does not serve is refused (kNackBadArguments).
struct DriverTitle {
    std::string_view title;
    std::uint8_t devices;
};
constexpr std::string_view kParallelFlashDriverTitle = "PARALLEL FLASH ISP DRIVER";
constexpr std::string_view kSerialFlashDriverTitle = "SERIAL FLASH ISP DRIVER";
constexpr DriverTitle kDriverTitles[] = {
    {kParallelFlashDriverTitle, (1u << 5) | (1u << 7)},
    {kSerialFlashDriverTitle, 1u << 1},
};
constexpr std::uint8_t kUntitledDriverDevices = (1u << 1) | (1u << 5) | (1u << 7);

// A packet body holding a byte the coding never sends (a raw NUL, tab or
// line feed, or an escape followed by anything but its five forms) is lost
// on its way to the video processor, as a receiver that takes such a byte
// for a line event would lose it: no reply, the host's wait times out.

// Flash devices 1, 5 and 7 hold up to kFlashCapacity bytes each; a Set ISP
// mode naming another device, or reaching past the capacity, is refused.
// Programming only clears bits (new = old AND data); bytes at or past the
// Set ISP mode's start + length are never programmed, so the padding of a
// last partial block is not kept; an image block at or past that end is
// refused (kNackBadArguments). Reading goes on past the selected length,
// as far as the capacity (unwritten bytes read 0xFF).
//
// Erasing:
//   - devices 5 and 7: the first Set ISP mode for writing that starts at
//     0x100 in one driver run erases the whole device (it reads 0xFF and
//     keeps no length). It is acknowledged at once and runs for
//     kEraseBaseTime + kEraseTimePerMiB per MiB of start + length; every
//     packet arriving meanwhile is refused with kNackErasing. A later Set
//     ISP mode in the same run (a resynchronisation) does not erase again.
//   - device 1: every Set ISP mode for writing erases, at once, from its
//     start address to the end of the device.
constexpr std::uint32_t kFlashCapacity = 2 * 1024 * 1024;
constexpr std::uint32_t kEraseFromAddress = 0x100;
constexpr Nanos kEraseBaseTime = 1 * kSecond;
constexpr Nanos kEraseTimePerMiB = 4 * kSecond;  // 2 MiB: 9 s, the tool waits 20 s

// The resident firmware's status report comes from CardOptions, whose
// defaults describe a healthy card: name "VXP-CORE 2.1", word 1 0x0002 (OSD
// load table OK, configuration complete), device type 0x5361, memory flags
// 0x3F11 (video SDRAM 1-5, OSD SDRAM 1, flash CS0 and CS4), every
// calibration byte passed. Replies: 0x734 with the name in words 1-6 (high
// byte first), 0x730 with 14 words (1: status, 2: type, 14: memory flags,
// the others 0), 0x71B with the two argument words and the flags in word 3.
// A calibration packet with other arguments is refused (kNackBadArguments).
//
// Status reply (0x632) word 1: high byte the mode (0 none, 1 write, 2
// read), low byte the selected device number (0 when none).

// The sample update files (drivers and images) are described in
// sim/sample_files.h.

}  // namespace sim::choices
