#include "sim/samples/xsvf_sample.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "sim/content/xsvf_instructions.h"
#include "sim/line/fault_dice.h"

namespace sim {

namespace {
constexpr std::uint8_t kIrBits = 6;  // the FPGA's instruction register
constexpr std::uint8_t kIdcode = 0x09, kJprogram = 0x0B, kCfgIn = 0x05, kJstart = 0x0C, kBypass = 0x3F;
constexpr std::uint32_t kDeviceId = 0x0141C093;
constexpr std::string_view kTitle = "FPGA v1.0";
constexpr std::size_t kSizeChange = 5;  // XSDRSIZE and its 4 bytes

class Writer {
public:
    void byte(std::uint8_t value) { bytes.push_back(value); }
    void word(std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8) byte(static_cast<std::uint8_t>(value >> shift));
    }
    void comment(std::string_view text) {
        byte(xsvf::kComment);
        bytes.insert(bytes.end(), text.begin(), text.end());
        byte(0);
    }
    void instruction(std::uint8_t opcode, std::uint8_t argument) {
        byte(opcode);
        byte(argument);
    }
    void wordInstruction(std::uint8_t opcode, std::uint32_t value) {
        byte(opcode);
        word(value);
    }
    void shiftIr(std::uint8_t code) {
        byte(xsvf::kSir);
        byte(kIrBits);
        byte(code);
    }
    // XSDRTDO of `length` bytes: TDI from the configuration data, expected TDO zero.
    void shiftData(std::size_t length, FaultDice& data) {
        byte(xsvf::kSdrTdo);
        for (std::size_t i = 0; i < length; ++i) byte(data.byte());
        bytes.insert(bytes.end(), length, 0);
    }
    std::vector<std::uint8_t> bytes;
};

// Everything before the configuration data; `padding` characters lengthen
// the comment so that the file comes out at its exact size.
void opening(Writer& out, std::size_t padding) {
    out.comment(std::string(kTitle) + std::string(padding, '.'));
    out.instruction(xsvf::kRepeat, 0);
    out.wordInstruction(xsvf::kRunTest, 0);
    out.shiftIr(kIdcode);
    out.wordInstruction(xsvf::kSdrSize, 32);
    out.byte(xsvf::kSdrTdo);
    out.word(0);
    out.word(kDeviceId);
    out.wordInstruction(xsvf::kRunTest, 10000);  // the configuration memory clears
    out.shiftIr(kJprogram);
    out.wordInstruction(xsvf::kRunTest, 0);
    out.shiftIr(kCfgIn);
}

void closing(Writer& out) {
    out.wordInstruction(xsvf::kRunTest, 2000);  // the start-up sequence runs
    out.shiftIr(kJstart);
    out.wordInstruction(xsvf::kRunTest, 0);
    out.shiftIr(kBypass);
    out.byte(xsvf::kComplete);
}
}  // namespace

std::vector<std::uint8_t> xsvfSample(std::size_t size) {
    size = std::max(size, kXsvfMinimumSize);
    Writer frame;
    opening(frame, 0);
    closing(frame);
    std::size_t budget = size - frame.bytes.size();

    // Whole chunks under one shift size, then one shorter chunk under its
    // own; what is left over (a few bytes) lengthens the comment.
    const std::size_t wholeCost = 1 + 2 * kXsvfDataChunk;
    std::size_t whole = budget >= kSizeChange + wholeCost ? (budget - kSizeChange) / wholeCost : 0;
    std::size_t left = budget - (whole > 0 ? kSizeChange + whole * wholeCost : 0);
    std::size_t last = left >= kSizeChange + 3 ? (left - kSizeChange - 1) / 2 : 0;
    if (last > 0) left -= kSizeChange + 1 + 2 * last;

    Writer out;
    FaultDice data(0xF9, FaultStream::kSamples);
    opening(out, left);
    if (whole > 0) out.wordInstruction(xsvf::kSdrSize, static_cast<std::uint32_t>(8 * kXsvfDataChunk));
    for (std::size_t i = 0; i < whole; ++i) out.shiftData(kXsvfDataChunk, data);
    if (last > 0) {
        out.wordInstruction(xsvf::kSdrSize, static_cast<std::uint32_t>(8 * last));
        out.shiftData(last, data);
    }
    closing(out);
    return out.bytes;
}

}  // namespace sim
