#include "sim/firmware/command_reader.h"

#include "sim/card_choices.h"

namespace sim {

namespace {
constexpr std::uint8_t kProbe = 0x00;
constexpr std::uint8_t kEnd = '\r';
// Longest encoded packet body: 18 words, every byte escaped.
constexpr std::size_t kMaxPacketBody = 18 * 2 * 2;
}  // namespace

void CommandReader::keep(std::uint8_t byte, std::size_t limit) {
    if (body_.size() < limit) {
        body_.push_back(static_cast<char>(byte));
    } else {
        overflowed_ = true;
    }
}

std::optional<Request> CommandReader::complete(Request::Kind kind) {
    Request request{kind, std::move(body_), overflowed_};
    body_.clear();
    overflowed_ = false;
    state_ = State::kIdle;
    return request;
}

std::optional<Request> CommandReader::idle(std::uint8_t byte) {
    state_ = State::kIdle;
    body_.clear();
    overflowed_ = false;
    if (byte == kProbe) return Request{Request::Kind::kProbe, {}, false};
    if (byte == kEnd) return Request{Request::Kind::kEmptyLine, {}, false};
    if (byte == '#') state_ = State::kText;
    if (byte == '=') state_ = State::kEscape;
    return std::nullopt;
}

std::optional<Request> CommandReader::feed(std::uint8_t byte) {
    switch (state_) {
    case State::kIdle: return idle(byte);
    case State::kText:
        if (byte == kEnd) return complete(Request::Kind::kText);
        if (byte == '#') return idle(byte);
        keep(byte, choices::kMaxTextCommand);
        return std::nullopt;
    case State::kEscape:
        if (byte == 'M') {
            state_ = State::kMicroLetter;
        } else if (byte == 'G') {
            state_ = State::kPacket;
        } else if (byte != '=') {
            return idle(byte);
        }
        return std::nullopt;
    case State::kMicroLetter:
        body_.assign(1, static_cast<char>(byte));
        state_ = State::kMicroEnd;
        return std::nullopt;
    case State::kMicroEnd:
        if (byte == kEnd) return complete(Request::Kind::kMicro);
        return idle(byte);
    case State::kPacket:
        if (byte == kEnd) return complete(Request::Kind::kPacket);
        if (byte == 'G' && !body_.empty() && body_.back() == '=') {
            body_.clear();
            overflowed_ = false;
            return std::nullopt;
        }
        keep(byte, kMaxPacketBody);
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace sim
