#include "sim/content/fpga_player.h"

#include <algorithm>

#include "sim/card_choices.h"

namespace sim {

namespace {
std::uint32_t bigEndian32(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
           static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
}
}  // namespace

FpgaPlayer::FpgaPlayer(const CardOptions& options, ContentMemory& memory, ReplySink& out, Nanos at)
    : ContentSession(out, options.paced, at), options_(options), memory_(memory) {
    askByte(Reading::kOpcode, at);
}

void FpgaPlayer::receive(std::uint8_t byte, Nanos at) {
    // A byte the card did not ask for, or that came before its request
    // could have been seen, breaks the play.
    if (!cameInTurn(at) || outstanding_ == 0) return finish(false, at);
    if (!takes(at)) return;
    file_.push_back(byte);
    --outstanding_;
    switch (reading_) {
    case Reading::kOpcode: return takeOpcode(byte, at);
    case Reading::kLengthByte: return readArguments(Reading::kArguments, (byte + 7u) / 8u, at);
    case Reading::kText:
        if (byte == 0) return play(at);
        return askByte(Reading::kText, at);
    case Reading::kLengthWord:
    case Reading::kArguments: return takeArgumentByte(byte, at);
    }
}

void FpgaPlayer::takeOpcode(std::uint8_t opcode, Nanos at) {
    std::optional<xsvf::Instruction> known = xsvf::instruction(opcode);
    if (!known) return finish(false, at);
    opcode_ = opcode;
    instruction_ = *known;
    std::uint64_t shiftBytes = (static_cast<std::uint64_t>(shiftBits_) + 7) / 8;
    switch (instruction_.arguments) {
    case xsvf::Arguments::kNone: return finish(true, at);
    case xsvf::Arguments::kText: return askByte(Reading::kText, at);
    case xsvf::Arguments::kLengthByte: return askByte(Reading::kLengthByte, at);
    case xsvf::Arguments::kLengthWord: return readArguments(Reading::kLengthWord, 2, at);
    case xsvf::Arguments::kFixed: return readArguments(Reading::kArguments, instruction_.count, at);
    case xsvf::Arguments::kShiftData:
        return readArguments(Reading::kArguments, instruction_.count * shiftBytes, at);
    }
}

void FpgaPlayer::takeArgumentByte(std::uint8_t byte, Nanos at) {
    if (headCount_ < sizeof head_) head_[headCount_++] = byte;
    if (--remaining_ > 0) {
        if (outstanding_ == 0) askBlock(at);
        return;
    }
    if (reading_ == Reading::kLengthWord) {
        unsigned bits = static_cast<unsigned>(head_[0]) << 8 | head_[1];
        return readArguments(Reading::kArguments, (bits + 7u) / 8u, at);
    }
    play(at);
}

void FpgaPlayer::readArguments(Reading reading, std::uint64_t count, Nanos at) {
    if (file_.size() + count > choices::kFpgaFileCapacity) return finish(false, at);
    reading_ = reading;
    remaining_ = count;
    headCount_ = 0;
    if (count == 0) return play(at);
    askBlock(at);
}

// The instruction has all its bytes: it takes effect, and the card waits
// as long as it asks before it reads the next opcode.
void FpgaPlayer::play(Nanos at) {
    Nanos wait = 0;
    if (opcode_ == xsvf::kSdrSize) shiftBits_ = bigEndian32(head_);
    if (opcode_ == xsvf::kRunTest) runTestUs_ = bigEndian32(head_);
    if (opcode_ == xsvf::kWait) wait = bigEndian32(head_ + 2) * choices::kMicrosecond;
    if (instruction_.waitsAfter) wait = runTestUs_ * choices::kMicrosecond;
    askByte(Reading::kOpcode, at + wait);
}

void FpgaPlayer::askByte(Reading reading, Nanos at) {
    reading_ = reading;
    outstanding_ = 1;
    request("*", false, at);
}

void FpgaPlayer::askBlock(Nanos at) {
    outstanding_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(remaining_, choices::kMostBlockRequest));
    request(std::string("$$") + static_cast<char>(outstanding_ >> 8) + static_cast<char>(outstanding_ & 0xFF),
            true, at);
}

void FpgaPlayer::request(std::string bytes, bool block, Nanos at) {
    ++requests_;
    if (requests_ == options_.fpgaFailAt) return finish(false, at);
    if (options_.fpgaErrorEvery != 0 && requests_ % options_.fpgaErrorEvery == 0) bytes.insert(0, "$E");
    if (block && !stalled_ && options_.fpgaStallAt != 0 && requests_ >= options_.fpgaStallAt) {
        stalled_ = true;
        std::size_t afterMarker = bytes.size() - 3;  // just after the request's first '$'
        send(at, bytes.substr(0, afterMarker));
        at += options_.fpgaStallMs * choices::kMillisecond;
        bytes.erase(0, afterMarker);
    }
    busy(send(at, bytes), choices::kRequestTurnaroundTime, choices::kReadyingForData);
}

void FpgaPlayer::finish(bool success, Nanos at) {
    send(at, success ? "~S" : "~F");
    if (success) memory_.storeFpgaFile(std::move(file_));
    end();
}

}  // namespace sim
