// Splits what the running firmware receives into its requests: a 0x00
// probe byte, a text command ('#' up to a carriage return), a micro
// command ("=M", a letter, a carriage return) and an ISP packet for the
// video processor ("=G" up to a carriage return), and a carriage return
// alone (an empty line). Other bytes are ignored.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sim {

struct Request {
    enum class Kind { kProbe, kText, kMicro, kPacket, kEmptyLine };
    Kind kind;
    // Text: the command after '#'; micro: the letter; packet: the encoded
    // body between "=G" and the carriage return.
    std::string body;
    bool overflowed = false;  // a text command or packet too long to keep
};

class CommandReader {
public:
    std::optional<Request> feed(std::uint8_t byte);

private:
    enum class State { kIdle, kText, kEscape, kMicroLetter, kMicroEnd, kPacket };

    std::optional<Request> idle(std::uint8_t byte);
    std::optional<Request> complete(Request::Kind kind);
    void keep(std::uint8_t byte, std::size_t limit);

    State state_ = State::kIdle;
    std::string body_;
    bool overflowed_ = false;
};

}  // namespace sim
