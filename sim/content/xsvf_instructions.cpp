#include "sim/content/xsvf_instructions.h"

namespace sim::xsvf {

namespace {
struct Entry {
    std::uint8_t opcode;
    Instruction instruction;
};

constexpr Entry kInstructions[] = {
    {kComplete, {Arguments::kNone, 0, false}},
    {kTdoMask, {Arguments::kShiftData, 1, false}},
    {kSir, {Arguments::kLengthByte, 0, true}},
    {kSdr, {Arguments::kShiftData, 1, true}},
    {kRunTest, {Arguments::kFixed, 4, false}},
    {kRepeat, {Arguments::kFixed, 1, false}},
    {kSdrSize, {Arguments::kFixed, 4, false}},
    {kSdrTdo, {Arguments::kShiftData, 2, true}},
    {kSetSdrMasks, {Arguments::kShiftData, 2, false}},
    {kSdrB, {Arguments::kShiftData, 1, false}},
    {kSdrC, {Arguments::kShiftData, 1, false}},
    {kSdrE, {Arguments::kShiftData, 1, true}},
    {kSdrTdoB, {Arguments::kShiftData, 2, false}},
    {kSdrTdoC, {Arguments::kShiftData, 2, false}},
    {kSdrTdoE, {Arguments::kShiftData, 2, true}},
    {kState, {Arguments::kFixed, 1, false}},
    {kEndIr, {Arguments::kFixed, 1, false}},
    {kEndDr, {Arguments::kFixed, 1, false}},
    {kSir2, {Arguments::kLengthWord, 0, true}},
    {kComment, {Arguments::kText, 0, false}},
    {kWait, {Arguments::kFixed, 6, false}},
};
}  // namespace

std::optional<Instruction> instruction(std::uint8_t opcode) {
    for (const Entry& entry : kInstructions) {
        if (entry.opcode == opcode) return entry.instruction;
    }
    return std::nullopt;
}

}  // namespace sim::xsvf
