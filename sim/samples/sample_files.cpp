#include "sim/samples/sample_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "sim/card_choices.h"
#include "sim/line/fault_dice.h"

namespace sim {

namespace {
struct Sample {
    std::string_view name;
    std::size_t size;
    std::uint64_t seed;
    std::string_view title;  // drivers only: a readable mark before the code
};

constexpr std::size_t kDriverSize = 0x2000;
constexpr std::size_t kDriverCodeStart = choices::kDriverStart;

constexpr Sample kSamples[] = {
    {"FDriver.bin", kDriverSize, 0xF0, choices::kParallelFlashDriverTitle},
    {"SFDriver.bin", kDriverSize, 0x5F, choices::kSerialFlashDriverTitle},
    {"Device1.bin", 64 * 1024 + 17, 0xD1, {}},
    {"Device5.bin", 256 * 1024, 0xD5, {}},
    {"Device7.bin", 128 * 1024 + 200, 0xD7, {}},
};

std::vector<std::uint8_t> contentOf(const Sample& sample) {
    std::vector<std::uint8_t> bytes(sample.size);
    FaultDice random(sample.seed, FaultStream::kSamples);
    for (std::uint8_t& byte : bytes) byte = random.byte();
    if (!sample.title.empty()) {
        // A driver: zeros before its code, which opens with its title.
        std::fill(bytes.begin(), bytes.begin() + kDriverCodeStart, 0);
        std::copy(sample.title.begin(), sample.title.end(), bytes.begin() + kDriverCodeStart);
    }
    return bytes;
}
}  // namespace

const std::vector<std::string>& sampleFileNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const Sample& sample : kSamples) list.emplace_back(sample.name);
        return list;
    }();
    return names;
}

std::vector<std::uint8_t> sampleFile(std::string_view name) {
    for (const Sample& sample : kSamples) {
        if (sample.name == name) return contentOf(sample);
    }
    return {};
}

std::string writeSampleFiles(const std::string& dir) {
    for (const Sample& sample : kSamples) {
        std::string path = dir + "/" + std::string(sample.name);
        std::vector<std::uint8_t> bytes = contentOf(sample);
        std::FILE* out = std::fopen(path.c_str(), "wb");
        bool ok = out != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
        if (out != nullptr) ok = std::fclose(out) == 0 && ok;
        if (!ok) return path + ": " + std::strerror(errno);
    }
    return {};
}

}  // namespace sim
