#include "sim/cardsim/byte_trace.h"

#include <cstdio>
#include <string>

namespace cardsim {

namespace {
constexpr std::size_t kBytesPerLine = 16;

double seconds(sim::Nanos at, sim::Nanos start) { return static_cast<double>(at - start) / 1e9; }
}  // namespace

void ByteTrace::print(const char* direction, const std::uint8_t* bytes, std::size_t count, sim::Nanos at) const {
    if (!enabled_) return;
    for (std::size_t line = 0; line < count; line += kBytesPerLine) {
        std::string hex;
        std::string text;
        for (std::size_t i = line; i < count && i < line + kBytesPerLine; ++i) {
            char pair[4];
            std::snprintf(pair, sizeof pair, "%02X ", bytes[i]);
            hex += pair;
            text.push_back(bytes[i] >= ' ' && bytes[i] <= '~' ? static_cast<char>(bytes[i]) : '.');
        }
        std::fprintf(stderr, "%12.6f %s %-48s|%s|\n", seconds(at, start_), direction, hex.c_str(), text.c_str());
    }
}

void ByteTrace::violation(const sim::TimingViolation& lost) const {
    if (!enabled_) return;
    std::fprintf(stderr, "%12.6f timing violation: a byte came while %s\n", seconds(lost.at, start_),
                 lost.what.c_str());
}

void ByteTrace::note(const char* text, std::uint32_t value, sim::Nanos at) const {
    if (!enabled_) return;
    std::fprintf(stderr, "%12.6f %s %u\n", seconds(at, start_), text, value);
}

}  // namespace cardsim
