// The card's XSVF player: after "#FPGA 1" it reads the configuration file
// from the host as it plays it, asking for exactly the bytes each
// instruction needs ('*' for one byte, "$$" hi lo for a block), and ends
// with "~S" at XCOMPLETE (keeping the file) or "~F". Its rules are in
// sim/card_choices.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/card_options.h"
#include "sim/content/content_session.h"
#include "sim/content/xsvf_instructions.h"
#include "sim/memory/content_memory.h"

namespace sim {

class FpgaPlayer final : public ContentSession {
public:
    FpgaPlayer(const CardOptions& options, ContentMemory& memory, ReplySink& out, Nanos at);

    void receive(std::uint8_t byte, Nanos at) override;

private:
    // What the bytes asked for are read as.
    enum class Reading { kOpcode, kLengthByte, kLengthWord, kArguments, kText };

    void takeOpcode(std::uint8_t opcode, Nanos at);
    void takeArgumentByte(std::uint8_t byte, Nanos at);
    void readArguments(Reading reading, std::uint64_t count, Nanos at);
    void play(Nanos at);
    void askByte(Reading reading, Nanos at);
    void askBlock(Nanos at);
    void request(std::string bytes, bool block, Nanos at);
    void finish(bool success, Nanos at);

    const CardOptions& options_;
    ContentMemory& memory_;
    std::vector<std::uint8_t> file_;  // every byte received, in order

    Reading reading_ = Reading::kOpcode;
    std::uint8_t opcode_ = 0;
    xsvf::Instruction instruction_{};
    std::uint64_t remaining_ = 0;    // argument bytes still to come
    std::uint32_t outstanding_ = 0;  // bytes of the open request still to come
    std::uint8_t head_[6] = {};      // the first argument bytes: the values they carry
    std::size_t headCount_ = 0;

    std::uint32_t shiftBits_ = 0;  // XSDRSIZE
    std::uint32_t runTestUs_ = 0;  // XRUNTEST
    std::uint64_t requests_ = 0;
    bool stalled_ = false;
};

}  // namespace sim
