// Faults of the microcontroller's boot program and kernels, one per card:
// what goes wrong, and at which of their answers.
#pragma once

#include <string_view>

namespace sim {

// The answers of the boot program and its kernels, in the order a
// programming run meets them.
enum class BootStep {
    kMatch,       // 0x00 answered 0x00
    kStart,       // 0x55 answered 0xAA
    kLengthHigh,  // the micro kernel's length, echoed
    kLengthLow,
    kKernel,       // the micro kernel's bytes, echoed
    kErase,        // 0xAA after the transfer
    kInquiry,      // 0x27 answered 37 02 00 80 47
    kDevice,       // device selection, acknowledged
    kClock,        // clock mode
    kRate,         // new bit rate
    kConfirm,      // 0x06 at the new bit rate
    kFinish,       // 0x40
    kMainKernel,   // the main kernel, acknowledged
    kStatus,       // 0x4F answered 5F 02 03 00 9C
    kPrepare,      // 0x43
    kWriteKernel,  // the write kernel, acknowledged
    kFrame,        // a programming frame, acknowledged
    kImageStatus,  // 0x4F answered 5F 02 04 00 9B
};

struct BootFault {
    enum class Kind {
        kNone,
        kSilent,   // from the step's first answer on, nothing is answered
        kLate,     // the step's first answer leaves lateByMs late; until then the program takes nothing in
        kWrong,    // the step's first answer differs (see sim/card_choices.h)
        kBadSum,   // the step's first five-byte answer carries a wrong sum
        kNoAck,    // the step's requests are carried out but never answered
        kChatter,  // after the step's first answer the line never falls silent
    };
    Kind kind = Kind::kNone;
    BootStep step = BootStep::kMatch;
};

// Reads "KIND@STEP" (e.g. "silent@inquiry"); false for anything else.
bool parseBootFault(std::string_view text, BootFault& fault);

}  // namespace sim
