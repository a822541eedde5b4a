#include "sim/vxp/isp_packet.h"

namespace sim::isp {

namespace {
constexpr std::uint8_t kOffset = 42;
constexpr char kEscape = '=';
constexpr std::uint8_t kEscapeShift = 64;

bool needsEscape(std::uint8_t e) { return e == 0x00 || e == 0x09 || e == 0x0A || e == 0x0D || e == kEscape; }

// The byte after an escape is one of the five escaped forms (0x40, 0x49,
// 0x4A, 0x4D, 0x7D), nothing else.
bool escapedForm(std::uint8_t b) { return needsEscape(static_cast<std::uint8_t>(b - kEscapeShift)); }

std::uint16_t sumOf(const Words& words, std::size_t count) {
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum = static_cast<std::uint16_t>(sum + words[i]);
    return sum;
}
}  // namespace

Words makePacket(std::uint16_t code, const Words& args) {
    Words packet;
    packet.push_back(static_cast<std::uint16_t>(((args.size() - 1) << 12) | (code & 0x0FFF)));
    packet.insert(packet.end(), args.begin(), args.end());
    packet.push_back(static_cast<std::uint16_t>(-sumOf(packet, packet.size())));
    return packet;
}

std::string wireForm(const Words& packet) {
    std::string wire = "=G";
    auto put = [&wire](std::uint8_t b) {
        auto e = static_cast<std::uint8_t>(b + kOffset);
        if (needsEscape(e)) {
            wire.push_back(kEscape);
            e = static_cast<std::uint8_t>(e + kEscapeShift);
        }
        wire.push_back(static_cast<char>(e));
    };
    for (std::uint16_t word : packet) {
        put(static_cast<std::uint8_t>(word & 0xFF));
        put(static_cast<std::uint8_t>(word >> 8));
    }
    wire.push_back('\r');
    return wire;
}

Decoded decodeBody(std::string_view body) {
    Decoded decoded;
    std::vector<std::uint8_t> bytes;
    bool escaped = false;
    for (char c : body) {
        auto b = static_cast<std::uint8_t>(c);
        if (!escaped && c == kEscape) {
            escaped = true;
            continue;
        }
        if (escaped ? !escapedForm(b) : needsEscape(b)) decoded.codingOk = false;
        if (escaped) b = static_cast<std::uint8_t>(b - kEscapeShift);
        escaped = false;
        bytes.push_back(static_cast<std::uint8_t>(b - kOffset));
    }
    bool danglingEscape = escaped;
    if (danglingEscape) decoded.codingOk = false;

    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        decoded.words.push_back(static_cast<std::uint16_t>(bytes[i] | (bytes[i + 1] << 8)));
    }
    if (danglingEscape || bytes.size() % 2 != 0 || decoded.words.empty()) return decoded;
    std::size_t announced = countOf(decoded.words[0]) + 3;
    decoded.wellFormed = decoded.words.size() == announced;
    decoded.checksumOk = decoded.wellFormed && sumOf(decoded.words, announced) == 0;
    return decoded;
}

}  // namespace sim::isp
