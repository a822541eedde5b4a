#include "sim/samples/edid_sample.h"

#include <cmath>
#include <string_view>

namespace sim {

namespace {
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kBlock = 128;

// 1920x1080 at 60 Hz (148.5 MHz) and 1280x720 at 60 Hz (74.25 MHz) and
// 1920x1080 at 50 Hz, on an 800 x 450 mm picture.
constexpr std::uint8_t k1080p60[18] = {0x02, 0x3A, 0x80, 0x18, 0x71, 0x38, 0x2D, 0x40, 0x58,
                                       0x2C, 0x45, 0x00, 0x20, 0xC2, 0x31, 0x00, 0x00, 0x1E};
constexpr std::uint8_t k720p60[18] = {0x01, 0x1D, 0x00, 0x72, 0x51, 0xD0, 0x1E, 0x20, 0x6E,
                                      0x28, 0x55, 0x00, 0x20, 0xC2, 0x31, 0x00, 0x00, 0x1E};
constexpr std::uint8_t k1080p50[18] = {0x02, 0x3A, 0x80, 0xD0, 0x72, 0x38, 0x2D, 0x40, 0x10,
                                       0x2C, 0x45, 0x80, 0x20, 0xC2, 0x31, 0x00, 0x00, 0x1E};

void append(Bytes& out, const std::uint8_t* bytes, std::size_t count) {
    out.insert(out.end(), bytes, bytes + count);
}

// A display descriptor: tag, then 13 bytes of text ended by a line feed
// and padded with blanks, or of data.
void descriptor(Bytes& out, std::uint8_t tag, std::string_view text) {
    out.insert(out.end(), {0x00, 0x00, 0x00, tag, 0x00});
    std::size_t start = out.size();
    out.insert(out.end(), text.begin(), text.end());
    if (text.size() < 13) out.push_back('\n');
    while (out.size() - start < 13) out.push_back(' ');
}

// Chromaticity coordinates in ten bits each (sRGB primaries, D65 white).
void chromaticity(Bytes& out) {
    const double xy[8] = {0.640, 0.330, 0.300, 0.600, 0.150, 0.060, 0.3127, 0.3290};
    unsigned v[8];
    for (int i = 0; i < 8; ++i) v[i] = static_cast<unsigned>(std::lround(xy[i] * 1024));
    out.push_back(static_cast<std::uint8_t>((v[0] & 3) << 6 | (v[1] & 3) << 4 | (v[2] & 3) << 2 | (v[3] & 3)));
    out.push_back(static_cast<std::uint8_t>((v[4] & 3) << 6 | (v[5] & 3) << 4 | (v[6] & 3) << 2 | (v[7] & 3)));
    for (unsigned value : v) out.push_back(static_cast<std::uint8_t>(value >> 2));
}

void closeBlock(Bytes& out, std::size_t start) {
    out.resize(start + kBlock - 1, 0);
    unsigned sum = 0;
    for (std::size_t i = start; i < out.size(); ++i) sum += out[i];
    out.push_back(static_cast<std::uint8_t>(256 - sum % 256));
}

void baseBlock(Bytes& out, int extensions) {
    out.insert(out.end(), {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00});
    const char maker[] = "VXC";  // three letters, five bits each
    unsigned code = 0;
    for (int i = 0; i < 3; ++i) code = code << 5 | static_cast<unsigned>(maker[i] - 'A' + 1);
    out.insert(out.end(), {static_cast<std::uint8_t>(code >> 8), static_cast<std::uint8_t>(code)});
    out.insert(out.end(), {0x01, 0x00});              // product code
    out.insert(out.end(), {0x00, 0x00, 0x00, 0x00});  // no serial number
    out.insert(out.end(), {12, 2020 - 1990});         // week and year of manufacture
    out.insert(out.end(), {1, 3});                    // EDID 1.3
    out.insert(out.end(),
               {0x80, 80, 45, 120, 0x0F});  // digital, 80 x 45 cm, gamma 2.2, RGB, sRGB, preferred timing, GTF
    chromaticity(out);
    out.insert(out.end(), {0x21, 0x08, 0x00});        // 640x480, 800x600 and 1024x768 at 60 Hz
    out.insert(out.end(), {0x81, 0xC0, 0xD1, 0xC0});  // 1280x720 and 1920x1080 at 60 Hz
    out.resize(out.size() + 12, 0x01);                // unused standard timings
    append(out, k1080p60, sizeof k1080p60);
    // Range limits: 23-76 Hz, 15-80 kHz, 160 MHz, default GTF.
    out.insert(out.end(), {0x00, 0x00, 0x00, 0xFD, 0x00, 23, 76, 15, 80, 16, 0x00});
    out.insert(out.end(), {0x0A, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20});
    descriptor(out, 0xFC, "VXC CONVERTER");
    descriptor(out, 0xFE, "SDI OUTPUT");
    out.push_back(static_cast<std::uint8_t>(extensions));
    closeBlock(out, out.size() - 127);
}

void ctaBlock(Bytes& out) {
    std::size_t start = out.size();
    Bytes data;
    // Video: 1080p60, 1080p50, 720p60, 720p50, 1080i60, 1080i50, 480p, 576p, 640x480.
    data.insert(data.end(), {0x49, 16, 31, 4, 19, 5, 20, 2, 17, 1});
    data.insert(data.end(), {0xE2, 0x00, 0xCA});        // video capability: selectable quantization, underscanned
    data.insert(data.end(), {0x23, 0x09, 0x07, 0x07});  // audio: 2-channel PCM, 32-48 kHz, 16-24 bits
    data.insert(data.end(), {0x83, 0x01, 0x00, 0x00});  // speakers: front left and right
    data.insert(data.end(), {0x67, 0x03, 0x0C, 0x00, 0x10, 0x00, 0x00, 0x21});  // HDMI, address 1.0.0.0, 165 MHz
    // Underscanned, basic audio, YCbCr 4:4:4 and 4:2:2, one native detailed timing.
    out.insert(out.end(), {0x02, 0x03, static_cast<std::uint8_t>(4 + data.size()), 0xF1});
    append(out, data.data(), data.size());
    append(out, k720p60, sizeof k720p60);
    append(out, k1080p50, sizeof k1080p50);
    closeBlock(out, start);
}
}  // namespace

std::vector<std::uint8_t> edidSample(int blocks) {
    Bytes out;
    baseBlock(out, blocks - 1);
    if (blocks == 2) ctaBlock(out);
    return out;
}

}  // namespace sim
