#include "bench/content_bounds.h"

#include <algorithm>

#include "sim/content/xsvf_instructions.h"

namespace bench {

namespace {

constexpr double kQuietWait = 0.050;
constexpr std::uint64_t kMostBlock = 65535;

struct Requests {
    long count = 0;
    long bytes = 0;    // the card's request bytes
    double waits = 0;  // the card's own waits, in seconds
};

std::uint32_t bigEndian32(const std::vector<std::uint8_t>& file, std::size_t at) {
    return static_cast<std::uint32_t>(file[at]) << 24 | static_cast<std::uint32_t>(file[at + 1]) << 16 |
           static_cast<std::uint32_t>(file[at + 2]) << 8 | file[at + 3];
}

// The requests of the card's player for `file`, which ends at XCOMPLETE:
// '*' for each opcode, XSIR length byte and comment character, "$$" hi lo
// for each block of at most 65535 argument bytes.
Requests playerRequests(const std::vector<std::uint8_t>& file) {
    Requests r;
    auto single = [&r] {
        ++r.count;
        ++r.bytes;
    };
    auto blocks = [&r](std::uint64_t length) {
        for (; length > 0; length -= std::min(length, kMostBlock)) {
            ++r.count;
            r.bytes += 4;
        }
    };
    std::size_t at = 0;
    std::uint32_t shiftBits = 0;
    std::uint32_t runTestUs = 0;
    while (at < file.size()) {
        std::uint8_t opcode = file[at++];
        single();
        std::optional<sim::xsvf::Instruction> instruction = sim::xsvf::instruction(opcode);
        if (!instruction || instruction->arguments == sim::xsvf::Arguments::kNone) break;
        std::uint64_t length = 0;
        switch (instruction->arguments) {
        case sim::xsvf::Arguments::kNone: break;
        case sim::xsvf::Arguments::kText:
            while (at < file.size() && file[at++] != 0) single();
            single();
            break;
        case sim::xsvf::Arguments::kLengthByte:
            single();
            length = (file[at++] + 7u) / 8u;
            break;
        case sim::xsvf::Arguments::kLengthWord:
            blocks(2);
            length = ((static_cast<unsigned>(file[at]) << 8 | file[at + 1]) + 7u) / 8u;
            at += 2;
            break;
        case sim::xsvf::Arguments::kFixed:
            length = instruction->count;
            if (opcode == sim::xsvf::kSdrSize) shiftBits = bigEndian32(file, at);
            if (opcode == sim::xsvf::kRunTest) runTestUs = bigEndian32(file, at);
            if (opcode == sim::xsvf::kWait) r.waits += bigEndian32(file, at + 2) / 1e6;
            break;
        case sim::xsvf::Arguments::kShiftData:
            length = instruction->count * ((static_cast<std::uint64_t>(shiftBits) + 7) / 8);
            break;
        }
        blocks(length);
        at += length;
        if (instruction->waitsAfter) r.waits += runTestUs / 1e6;
    }
    return r;
}

}  // namespace

double fpgaBound(const std::vector<std::uint8_t>& xsvf) {
    Requests r = playerRequests(xsvf);
    double wire = static_cast<double>(xsvf.size() + static_cast<std::size_t>(r.bytes) - 1 + 2) * kByteSeconds;
    return 0.500 + r.count * kQuietWait + r.waits + wire;
}

double edidBound(std::size_t imageBytes) { return 0.500 + static_cast<double>(2 * imageBytes + 3) * kByteSeconds; }

double gammaBound() { return 0.100 + 0.001 + (3.0 * 3072 + 3) * kByteSeconds; }

}  // namespace bench
