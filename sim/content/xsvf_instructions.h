// The XSVF instructions the card's player knows: their opcodes and the
// shape of the arguments that follow each opcode in the file.
#pragma once

#include <cstdint>
#include <optional>

namespace sim::xsvf {

enum Opcode : std::uint8_t {
    kComplete = 0x00,
    kTdoMask = 0x01,
    kSir = 0x02,
    kSdr = 0x03,
    kRunTest = 0x04,
    kRepeat = 0x07,
    kSdrSize = 0x08,
    kSdrTdo = 0x09,
    kSetSdrMasks = 0x0A,
    kSdrInc = 0x0B,  // not played by this card
    kSdrB = 0x0C,
    kSdrC = 0x0D,
    kSdrE = 0x0E,
    kSdrTdoB = 0x0F,
    kSdrTdoC = 0x10,
    kSdrTdoE = 0x11,
    kState = 0x12,
    kEndIr = 0x13,
    kEndDr = 0x14,
    kSir2 = 0x15,
    kComment = 0x16,
    kWait = 0x17,
};

enum class Arguments {
    kNone,        // nothing follows
    kFixed,       // `count` bytes
    kShiftData,   // `count` times the shift length L = (shift size + 7) / 8 bytes
    kLengthByte,  // one length byte n, then (n + 7) / 8 bytes
    kLengthWord,  // two length bytes n, big-endian, then (n + 7) / 8 bytes
    kText,        // characters up to and including a NUL
};

struct Instruction {
    Arguments arguments;
    unsigned count;
    bool waitsAfter;  // ends in Run-Test/Idle, where the card waits the run-test time
};

// The instruction of `opcode`; nothing for an opcode the player does not know.
std::optional<Instruction> instruction(std::uint8_t opcode);

}  // namespace sim::xsvf
