#include "sim/samples/sample_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "sim/card_choices.h"
#include "sim/line/fault_dice.h"
#include "sim/samples/firmware_image.h"
#include "sim/samples/edid_sample.h"
#include "sim/samples/text_samples.h"
#include "sim/samples/xsvf_sample.h"

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
    // The boot kernels: opaque bytes to the card model, which takes any
    // kernel of a valid length.
    {"uGen7144.cde", 1200, 0xC1, {}},
    {"Genm7144.cde", 2600, 0xC2, {}},
    {"Genw7144.cde", 1400, 0xC3, {}},
};

// The samples of the content commands, made by their own generators.
constexpr std::string_view kContentSamples[] = {"fpga.xsvf", "EDID.bin", "edid128.bin", "gamma.csv", "remote.txt"};

std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

std::vector<std::uint8_t> contentSample(std::string_view name, std::size_t xsvfSize) {
    if (name == "fpga.xsvf") return xsvfSample(xsvfSize);
    if (name == "EDID.bin") return edidSample(2);
    if (name == "edid128.bin") return edidSample(1);
    if (name == "gamma.csv") return bytesOf(gammaSample());
    if (name == "remote.txt") return bytesOf(remoteSample());
    return {};
}

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

constexpr std::string_view kFirmwareName = "appMain.mot";

// One file of the samples, whole.
bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    bool ok = out != nullptr && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (out != nullptr) ok = std::fclose(out) == 0 && ok;
    return ok;
}
}  // namespace

const std::vector<std::string>& sampleFileNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const Sample& sample : kSamples) list.emplace_back(sample.name);
        list.emplace_back(kFirmwareName);
        for (std::string_view name : kContentSamples) list.emplace_back(name);
        return list;
    }();
    return names;
}

std::vector<std::uint8_t> sampleFile(std::string_view name, std::size_t xsvfSize) {
    for (const Sample& sample : kSamples) {
        if (sample.name == name) return contentOf(sample);
    }
    if (name == kFirmwareName) {
        std::string text = sRecordFile(sampleFirmwareData());
        return {text.begin(), text.end()};
    }
    return contentSample(name, xsvfSize);
}

std::string writeSampleFiles(const std::string& dir, std::size_t xsvfSize) {
    for (const std::string& name : sampleFileNames()) {
        std::string path = dir + "/" + name;
        if (!writeFile(path, sampleFile(name, xsvfSize))) return path + ": " + std::strerror(errno);
    }
    return {};
}

}  // namespace sim
