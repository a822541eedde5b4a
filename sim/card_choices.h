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

// ---- Busy windows ----------------------------------------------------------
//
// Each pause the protocol gives the host protects something the card does
// in that time with its receiver unread: a clock or bit-rate switch, a copy
// into RAM, an erase, a restart. The card is busy then; a byte that
// arrives inside a busy window is lost, and the card counts it as a timing
// violation (cardsim's --trace shows each, Card::timingViolations() keeps
// them). Every window is shorter than the host's pause and longer than the
// time the host's next byte would take to come without the pause, so a
// host that keeps every pause never loses a byte, and one that drops any
// pause loses one. The windows stand beside what they protect, below. A
// card without time of its own (cardsim --fast) is never busy.
//
// Some pauses protect nothing on the card: the host only reads after them
// (they let an answer arrive, or give the card time the card does not use).
// These are:
//   - the 100 ms after each probe byte: the probe's answer arrives whole;
//   - the 10 ms before the boot-mode path switches to 9600 bit/s: the
//     probe's last byte left long before;
//   - the 10 ms before the write kernel's sum: on a line that buffers what
//     the host writes, the sum queues behind the kernel's bytes whenever
//     the kernel takes longer than 10 ms on the wire (more than 115 bytes),
//     so the card cannot rely on a gap there;
//   - the 1000 ms before "#FPGA 1" and the 500 ms after it: the card is
//     idle before the command, and after it the player asks for what it
//     wants and waits for it;
//   - the 500 ms after "6" that ends a MICRO run on an old firmware: the
//     run ends, and the boot program's start (kBootStartTime) is over long
//     before the next run.
// The tests pin those by the times at which the card received the bytes.

// How long a card takes to start at power-on (its supply settles, the
// microcontroller leaves reset): bytes arriving meanwhile are lost, and are
// not timing violations, since the host could not know.
constexpr Nanos kPowerOnTime = 300 * kMillisecond;

// The card keeps this many timing violations; a run with any fails anyway.
constexpr std::size_t kViolationsKept = 1024;
//
// Faults, each drawn from its own stream seeded by the seed, in the order
// the bytes cross the line (so a seed and the same conversation give the
// same faults):
//   noise:   before each byte the card sends, a random byte is sent first;
//   drop:    each byte, either way, is lost;
//   corrupt: each byte, either way, is XORed with a random non-zero value
//            (after a wrong bit rate has made it 0xFF, if it did);
//   nack:    each ISP packet the card would take (of nackCode only, when set)
//            is refused (kNackInjected);
//   late:    each reply leaves the card lateByMs later than it would;
//   silent:  the card takes everything in and sends nothing;
//   vanishAfter N: once the card has taken in N bytes it goes away: what
//            it had not sent by then is lost, nothing more goes either way;
//   restartAfter N: once N bytes have crossed the line (both ways, each
//            counted as it arrives) the card loses power and starts again
//            as at power-on: what it had not sent is lost, every transfer
//            and every program's state is gone, every memory keeps exactly
//            what was written into it. It takes no byte for kPowerOnTime.
//            The microcontroller then runs its firmware (or the old
//            firmware the card was made with) if its flash holds one, its
//            boot program if the boot program erased it and its reset
//            vector was not written again since (sim/memory/micro_flash.h).
//            Out of step with the host from then on, the card counts no
//            byte it loses as a timing violation;
//   unplugAfter N, goneForMs T: once N bytes have crossed the line the
//            card is unplugged, as a USB adapter pulled out: the host's port
//            fails from then on (reads and writes fail, a new open finds no
//            port); T ms later a card with the same memories is plugged in
//            again, at power-on, and a port opened then reaches it. T 0: it
//            never comes back.
// With faultsSpareHostBytes, drop and corrupt harm only the card's bytes:
// the FPGA's data and the remote commands reach the card without a sum, so
// a byte damaged on its way in is taken as sent, and no host can tell.

// ---- Firmware text channel ----------------------------------------------
//
// The running firmware reads '#' up to a carriage return as a text command
// ("#DEVERSION" -> "#DEVERSION <variant digit> <firmware word>\r",
// "#DEVTYPE" -> "#DEVTYPE <model word>\r"), "=M" with a letter and a
// carriage return as a micro command, "=G" up to a carriage return as an
// ISP packet for the video processor, a 0x00 byte as a probe, a carriage
// return alone as an empty line; anything else between requests is
// ignored. A second '#' restarts a text command, a second "=G" a packet.
// The text commands are listed in sim/firmware/text_commands.cpp.

// Answer to a 0x00 probe byte: 19 bytes, no '#'.
constexpr std::string_view kProbeAnswer = "\r\nCONVERTER READY\r\n";

// Answer to a '#' command the firmware does not know, or whose arguments
// it refuses; and to a command it carried out (the remote commands of
// sim/firmware/text_commands.cpp).
constexpr std::string_view kUnknownTextCommandAnswer = "#NACK\r";
constexpr std::string_view kAcknowledgedAnswer = "#ACK\r";

// Answer to a carriage return outside any command (an empty line): the
// firmware's prompt (three bytes, no '#'). After it the firmware redraws its
// status line on the front panel, polling, and reads nothing until it has
// (the host gives a script command's carriage return 10 ms, then reads the
// card's answer, then 10 ms more before the command).
constexpr std::string_view kPrompt = "\r\n>";
constexpr Nanos kPromptTime = 15 * kMillisecond;
constexpr std::string_view kRedrawingStatus = "the firmware redraws its status line after an empty line";

// A setting the firmware acknowledged (OSD, PATTERN, BRIGHTNESS, ...,
// SAVE) takes effect after its "#ACK": the firmware reprograms the video
// path and reads nothing meanwhile (the host waits 10 ms after a script
// command before it reads the answer, and sends its next line after that).
constexpr Nanos kSettingTime = 5 * kMillisecond;
constexpr std::string_view kApplyingSetting = "the firmware applies a setting it acknowledged";

// Every text command and its answer goes to the text command log
// (remote.log); the card keeps at most this many bytes of it in memory,
// the file keeps them all.
constexpr std::size_t kTextLogKept = 1 << 20;

// A text command longer than this (between '#' and the carriage return) is
// treated as unknown.
constexpr std::size_t kMaxTextCommand = 64;

// The old firmware answers every byte but "6" with its menu (no '#'); "6"
// starts the boot program, silently.
constexpr std::string_view kOldFirmwareMenu = "\r\nMAIN MENU\r\n1 - Setup\r\n$ - Status\r\n6 - Boot loader\r\n> ";
constexpr std::uint8_t kOldFirmwareBootKey = '6';

// The menu keys "1" and "$" open their screens, which the old firmware draws
// whole before it reads the next key (the host sends its menu keys 500 ms
// apart); a carriage return, like any other byte, only reprints the menu
// (the host's text commands end with one, and their next may follow soon).
constexpr std::uint8_t kOldFirmwareScreenKeys[2] = {'1', '$'};
constexpr Nanos kMenuScreenTime = 250 * kMillisecond;
constexpr std::string_view kDrawingMenuScreen = "the old firmware draws the screen of a menu key";

// With oldFirmwareMenuOnly the old firmware answers only its menu keys
// (carriage return, "1", "$") and ignores every other byte, the probe's 0x00
// included: the tool then finds a silent card at 115200 bit/s that is not
// in boot mode, takes the boot-mode path, gets no answer there (result 55)
// and sends the menu keys and "6". Without it the old firmware answers the
// probe, and MICRO reaches it through identification instead.
constexpr std::uint8_t kOldFirmwareMenuKeys[3] = {'\r', '1', '$'};

// "#MICROMODE" is answered kMicroModeAnswer and readies the switch; a
// "#MICRO" right after it (no answer) starts the boot program at 9600
// bit/s. "#MICRO" without "#MICROMODE" just before it is unknown ("#N").
constexpr std::string_view kMicroModeAnswer = "#A\r";

// While it answers "#MICROMODE" the firmware saves its settings for the
// switch (the host reads the answer 50 ms after the command, then sends
// "#MICRO"); after "#MICRO", and after the old firmware's "6", the
// microcontroller restarts into its boot program, which sets its receiver
// to 9600 bit/s (the host waits 50 ms, or 500 ms after "6", before its
// first byte at 9600).
constexpr Nanos kMicroModeSaveTime = 25 * kMillisecond;
constexpr std::string_view kSavingForMicroMode = "the firmware saves its settings before the boot program";
constexpr Nanos kBootStartTime = 25 * kMillisecond;
constexpr std::string_view kStartingBootProgram = "the boot program starts";

// ---- Boot program and kernels --------------------------------------------
//
// The boot program runs at power-up with bootMode, after the old firmware's
// "6" or after "#MICRO". It listens at 9600 bit/s and answers exactly the
// exchange of the boot-mode programmer (sim/boot/boot_program.cpp has the
// byte forms). What is not exactly the protocol's bytes is refused:
//   - a 0x55 before a 0x00 was answered, and any other byte while matching,
//     is line noise: no answer;
//   - a micro kernel length of 0 or above kMaxKernelLength: both length
//     bytes echoed, then kKernelLengthRefused, and matching starts again;
//   - a command frame (command, size, bytes, sum; or a single command byte)
//     that is not the one awaited next, a main or write kernel with a wrong
//     sum or a length outside 1 to kMaxKernelLength, a programming frame
//     with a wrong sum, an address not on a 128-byte boundary or beyond the
//     flash: answered kBootRefusal, nothing done, the same request awaited
//     again. The tool waits for 0x06, so a refusal fails its step.
// The micro kernel answers the new bit rate at 9600 bit/s and listens at
// 115200 from then on; bytes that cross at the other rate are garbage.
constexpr std::string_view kBootRefusal = "\x15";
constexpr std::string_view kKernelLengthRefused = "\xFF";

// Every kernel the card takes has 1 to kMaxKernelLength bytes: the RAM the
// boot program loads them into. The tool sends at most 4000.
constexpr std::uint32_t kMaxKernelLength = 4096;

// Added to each kernel's byte sum by the protocol (the length not summed).
constexpr std::uint8_t kMainKernelSumConstant = 0x75;
constexpr std::uint8_t kWriteKernelSumConstant = 0x9A;

// Programming frame: 0x50, the address (4 bytes, MSB first), 128 data
// bytes, a sum making the frame add up to 0 modulo 256.
constexpr std::uint8_t kProgramCommand = 0x50;
constexpr std::size_t kProgramFrameLength = 134;

// Processing times of a paced card. The boot program and its kernels answer
// from their receive interrupt: an echo or an answer leaves within
// microseconds. The flash is modelled as buffered: a frame is acknowledged
// once checked, and the erase after the micro kernel is short, so that a
// paced run's time is the protocol's wire time and pauses (the tool allows
// 5 s for the erase and 7 s per frame).
constexpr Nanos kBootEchoTime = 10 * kMicrosecond;
constexpr Nanos kBootAnswerTime = 20 * kMicrosecond;
constexpr Nanos kBootFrameTime = 50 * kMicrosecond;
constexpr Nanos kBootEraseTime = 20 * kMillisecond;

// What the micro kernel and the main and write kernels do in the pauses the
// host gives them, each with the host's pause beside it. A window starts
// when the request that opens it has arrived (its answer, if any, leaves
// inside it):
//   after answering the inquiry, it reads its device table from the
//     on-chip flash (the host pauses 1000 ms, then drains the line);
constexpr Nanos kDeviceTableTime = 200 * kMillisecond;
constexpr std::string_view kReadingDeviceTable = "the micro kernel reads its device table";
//   after acknowledging the device selection, it loads that device's
//     programming routines (1000 ms before the clock mode);
constexpr Nanos kDeviceSetupTime = 500 * kMillisecond;
constexpr std::string_view kLoadingDeviceRoutines = "the micro kernel loads the device's routines";
//   it takes the clock-mode command byte by byte, checking each byte
//     against its clock table in the on-chip flash, which it reads with
//     its receiver off (1000 ms after each byte);
constexpr Nanos kClockByteTime = 500 * kMillisecond;
constexpr std::string_view kCheckingClockByte = "the micro kernel checks a clock-mode byte";
//   after acknowledging the clock mode, it switches its clock: the
//     receiver stops until the clock is stable (the host pauses 1000 ms
//     after the command's last byte, reads the acknowledgement, and pauses
//     1000 ms more before the new bit rate);
constexpr Nanos kClockSwitchTime = 1500 * kMillisecond;
constexpr std::string_view kSwitchingClock = "the micro kernel switches its clock";
//   once its acknowledgement of the new bit rate has left (1.04 ms at 9600
//     bit/s), it restarts its serial interface at 115200 bit/s (the host
//     reads the acknowledgement, switches, and pauses 50 ms before the
//     confirmation);
constexpr Nanos kRateSwitchTime = 25 * kMillisecond;
constexpr std::string_view kSwitchingBitRate = "the micro kernel restarts its serial interface at 115200 bit/s";
//   after acknowledging the confirmation, it measures the new bit rate's
//     error (1000 ms before the data set is finished);
constexpr Nanos kRateCheckTime = 500 * kMillisecond;
constexpr std::string_view kCheckingBitRate = "the micro kernel checks the new bit rate";
//   after each byte of a kernel's length it sizes the RAM the kernel goes
//     into (10 ms after each); after the main kernel's last length byte it
//     clears that RAM (10 ms and then 100 ms before the kernel's bytes);
constexpr Nanos kLengthByteTime = 5 * kMillisecond;
constexpr std::string_view kSizingKernelRam = "the kernel loader sizes the RAM for a kernel";
constexpr Nanos kKernelRamClearTime = 60 * kMillisecond;
constexpr std::string_view kClearingKernelRam = "the micro kernel clears the RAM for the main kernel";
//   after the main kernel's last byte it copies the kernel to where it
//     runs and sums it (the host pauses 2000 ms after writing the last byte,
//     which reaches the card up to 4000 byte times, 347 ms, later);
constexpr Nanos kMainKernelCopyTime = 1200 * kMillisecond;
constexpr std::string_view kCopyingKernel = "the micro kernel copies the main kernel into place";
//   after acknowledging the main kernel, it starts it (1000 ms before the
//     status inquiry); after its status answer, the main kernel reads the
//     flash's state (1000 ms before PrepareUser);
constexpr Nanos kMainKernelStartTime = 500 * kMillisecond;
constexpr std::string_view kStartingMainKernel = "the main kernel starts";
constexpr Nanos kFlashStateTime = 500 * kMillisecond;
constexpr std::string_view kReadingFlashState = "the main kernel reads the flash's state";
//   until its first status inquiry the write kernel writes the vector
//     area, whose block it unlocks for each frame: after each header byte
//     of a frame (the command and the four address bytes) it sets the
//     flash's address latch (5 ms after each); the main area's frames it
//     takes at full speed;
constexpr Nanos kHeaderByteTime = 3 * kMillisecond;
constexpr std::string_view kSettingAddressLatch = "the write kernel sets the flash's address latch";
//   after acknowledging the vector area's last frame (address 0x380) it
//     programs the vector area into the flash (1000 ms before the status
//     inquiry).
constexpr Nanos kVectorProgramTime = 500 * kMillisecond;
constexpr std::string_view kProgrammingVectorArea = "the write kernel programs the vector area";
constexpr std::uint32_t kLastVectorFrame = 0x380;

// The microcontroller's flash: 512 KiB, more than the largest image the
// tool writes (0x800 + 262144 bytes). It is erased when the micro kernel is
// complete, programmed frame by frame (bits only cleared), and saved as
// micro.bin after the erase, after every status inquiry of the write kernel
// and at exit: the protocol has no closing command.
constexpr std::uint32_t kMicroFlashSize = 512 * 1024;

// Boot faults (CardOptions::bootFault, "KIND@STEP"), on the first answer
// of their step (no-ack on all of them):
//   silent:  from there on nothing is answered or taken in;
//   late:    the answer leaves lateByMs late; the program takes nothing in
//            until it has left;
//   wrong:   an echo with its lowest bit flipped; 37 02 00 40 87 for the
//            inquiry; 5F 02 04 00 9B for the main kernel's status and 5F 02
//            03 00 9C for the write kernel's; kBootRefusal for an
//            acknowledge; after the micro kernel 0xAA then 0xFF: a failed
//            erase, the flash left as it was and the boot program halted;
//   bad-sum: the status or inquiry answer with its last byte one higher;
//   no-ack:  every request of the step is carried out but not answered;
//   chatter: the answer is followed by kBootChatterBytes bytes 0xFF, ten
//            seconds of a line that never falls silent at 9600 bit/s.
constexpr std::size_t kBootChatterBytes = 9600;

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
// reply). While it restarts into its resident firmware the firmware queues
// the packets for it, and they are taken, in order, when it has started. In
// program mode the packets go straight to the video processor's loader:
// those that reach it while it restarts (kVxpResetTime after =MR; the host
// waits 5 s) are lost, as are those that reach it while the ISP driver
// starts (kDriverStartTime after the call-driver packet; the host reads the
// call's reply after 1000 ms and pauses 1000 ms more before the image) and
// while the driver unlocks an erased device (kUnlockTime after the first
// status request that follows an erase; the host pauses 500 ms): each is a
// timing violation. Every packet taken gets a reply:
//   - an acknowledgement with reply code = command code + 0x101 (the read
//     reply 0x73A follows the same rule), word 1 = the command code unless
//     the reply carries data;
//   - a refusal (NACK): code 2, word 1 = the refused command code (0 when
//     the packet could not be decoded), word 2 = one of the reasons below.
constexpr std::uint16_t kReplyCodeOffset = 0x101;
constexpr std::uint16_t kNackCode = 2;
constexpr std::uint16_t kNackNotNow = 0x0001;  // not accepted in this state
constexpr std::uint16_t kNackBadArguments = 0x0002;
constexpr std::uint16_t kNackBadPacket = 0x0003;  // bad checksum or framing
constexpr std::uint16_t kNackInjected = 0x0004;   // the --nack fault
constexpr std::uint16_t kNackErasing = 0x1234;    // a flash erase is running

constexpr std::string_view kRestartingVxp = "the video processor restarts into its loader";
constexpr Nanos kDriverStartTime = 1500 * kMillisecond;
constexpr std::string_view kStartingDriver = "the ISP driver starts";
constexpr Nanos kUnlockTime = 300 * kMillisecond;
constexpr std::string_view kUnlockingDevice = "the ISP driver unlocks the erased device";

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
//     packet arriving meanwhile is refused with kNackErasing, and is a
//     timing violation (the host pauses 20 s). A later Set ISP mode in the
//     same run (a resynchronisation) does not erase again.
//   - device 1: the first Set ISP mode for writing in one driver run erases
//     the device from its start address to the end in the same time (the
//     host pauses 15 s), refusing packets as above; every later one (a
//     resynchronisation) erases from its start address to the end at once.
constexpr std::uint32_t kFlashCapacity = 2 * 1024 * 1024;
constexpr std::uint32_t kEraseFromAddress = 0x100;
constexpr Nanos kEraseBaseTime = 1 * kSecond;
constexpr Nanos kEraseTimePerMiB = 4 * kSecond;  // 2 MiB: 9 s, the tool waits 15 s or 20 s
constexpr std::string_view kErasingDevice = "a flash device is being erased";

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

// ---- Content transfers (sim/content/) -------------------------------------
//
// After "#FPGA 1\r", "#EDID 1\r", "#EDID 2\r" or "#GAMMA 3 0\r" the running
// firmware hands the line to a transfer: every byte the host sends goes to
// it until it ends, so that data bytes are never read as commands. Its
// requests, acknowledgements and verdicts come from the serial interrupt
// routine and leave this long after the byte that prompted them.
constexpr Nanos kInterruptDelay = 2 * kMicrosecond;

// The card is strict about what it receives: a host byte that arrives
// before the host could have received the card's last request or
// acknowledgement (an overrun), or that the card did not ask for, ends the
// transfer at once: the FPGA player with "~F", EDID and gamma with "~E".
//
// A transfer the host has left - nothing came for this long since the card
// last waited for it - is over when the next byte arrives; that byte is
// read as a command again.
constexpr Nanos kTransferIdleTimeout = 10 * kSecond;

// What the transfers do in the pauses the host gives them (bytes arriving
// then are lost, timing violations):
//   after "#EDID n" the card write-enables the EDID memory (the host
//     pauses 500 ms before the first byte);
constexpr Nanos kEdidEnableTime = 250 * kMillisecond;
constexpr std::string_view kEnablingEdid = "the card write-enables the EDID memory";
//   after "#GAMMA 3 0" it clears the table's staging memory (100 ms);
constexpr Nanos kGammaClearTime = 50 * kMillisecond;
constexpr std::string_view kClearingGamma = "the card clears the gamma table's staging memory";
//   after each request of the FPGA player, once its last byte has left,
//     the player readies its receive buffer for the bytes it asked for (the
//     host waits until the line has been quiet for 50 ms).
constexpr Nanos kRequestTurnaroundTime = 20 * kMillisecond;
constexpr std::string_view kReadyingForData = "the FPGA player readies its buffer for the bytes it asked for";

// EDID: only the models with an EDID memory (DVITOSDI and HDMITOSDI) know
// "#EDID"; the others answer it as an unknown command. "#EDID n" takes n
// blocks (1 or 2) of kEdidBlockSize bytes, each byte acknowledged with '.',
// then the sum byte: "~S" when it equals the sum of the data bytes modulo
// 256 (the image is kept), "~E" otherwise (the memory keeps what it held).
constexpr std::size_t kEdidBlockSize = 128;

// Gamma: "#GAMMA 3 0" (three channels, table 0) takes kGammaValues values
// of two bytes, high byte first, each acknowledged with '.' after its low
// byte, then the sum byte of all the value bytes: "~S" when it matches and
// every value was at most kGammaMaxValue (the table is kept), "~E"
// otherwise (the table keeps what it held).
constexpr std::size_t kGammaValues = 3072;
constexpr std::uint16_t kGammaMaxValue = 1023;

// FPGA: "#FPGA 1" starts the XSVF player (sim/content/fpga_player.h). It
// asks for exactly the bytes each instruction needs: '*' for one byte (an
// opcode, XSIR's length byte, a comment's character), "$$" hi lo for a
// block of an instruction's fixed-size arguments (XSIR2's two length bytes
// included), at most kMostBlockRequest bytes per request. XCOMPLETE ends the
// transfer with "~S" and the card keeps the file as played; an opcode the
// player does not know (XSDRINC among them) ends it with "~F". XRUNTEST
// sets the time the card then waits in Run-Test/Idle after each XSIR,
// XSIR2, XSDR, XSDRTDO, XSDRE and XSDRTDOE; XWAIT waits its own time. There
// is no FPGA behind the player: TDO values are not compared, and XREPEAT,
// XTDOMASK, XSETSDRMASKS, XSTATE, XENDIR and XENDDR are taken without effect.
constexpr std::size_t kMostBlockRequest = 65535;
// The longest file the card plays: an instruction that would take it
// further ends the transfer with "~F".
constexpr std::size_t kFpgaFileCapacity = 16 * 1024 * 1024;

// Faults of the content transfers, by option: fpgaErrorEvery N sends an
// error report "$E" before every Nth request of the FPGA player;
// fpgaStallAt N makes the first block request from the Nth request on stop
// for fpgaStallMs after its first '$'; fpgaFailAt N sends "~F" in place of
// the Nth request; contentWriteFails makes the EDID and gamma memories
// refuse every write (verdict "~E").

// The sample update files are described in sim/samples/sample_files.h.

}  // namespace sim::choices
