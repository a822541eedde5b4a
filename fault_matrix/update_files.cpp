#include "fault_matrix/update_files.h"

#include <algorithm>
#include <string>

#include "sim/samples/xsvf_sample.h"

namespace matrix {

namespace {
constexpr std::size_t kVectorArea = 1024;
constexpr std::size_t kMainAreaStart = 0x800;

Bytes text(const std::string& s) { return {s.begin(), s.end()}; }
}  // namespace

Bytes deviceImage(Dice& dice, int device, bool large) {
    std::size_t least = device == 1 ? 1 : 256;
    return dice.bytes(large ? 20000 : dice.between(least, 4000));
}

Bytes edidImage(Dice& dice) {
    Bytes image = dice.bytes(dice.chance(0.5) ? 128 : 256);
    for (std::size_t block = 0; block < image.size(); block += 128) {
        const std::uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
        if (block == 0) std::copy(header, header + 8, image.begin());
        unsigned sum = 0;
        for (std::size_t i = block; i < block + 127; ++i) sum += image[i];
        image[block + 127] = static_cast<std::uint8_t>(-sum);
    }
    return image;
}

std::pair<Bytes, Bytes> gammaTable(Dice& dice) {
    std::string csv = "% gamma table\r\n";
    Bytes table;
    for (int line = 0; line < 1024; ++line) {
        for (int channel = 0; channel < 3; ++channel) {
            auto value = static_cast<unsigned>(dice.between(0, 1023));
            csv += std::to_string(value) + (channel < 2 ? "," : "\r\n");
            table.push_back(static_cast<std::uint8_t>(value >> 8));
            table.push_back(static_cast<std::uint8_t>(value & 0xFF));
        }
    }
    return {text(csv), table};
}

Bytes firmwareData(Dice& dice) { return dice.bytes(dice.between(kVectorArea, 5000)); }

Bytes microFlashOf(const Bytes& data) {
    Bytes flash(kMainAreaStart + data.size() - kVectorArea, 0xFF);
    std::copy(data.begin(), data.begin() + kVectorArea, flash.begin());
    std::copy(data.begin() + kVectorArea, data.end(), flash.begin() + kMainAreaStart);
    return flash;
}

std::size_t fpgaSize(Dice& dice) { return dice.between(sim::kXsvfMinimumSize, 30000); }

Memories oldContents(Dice& dice) {
    Memories old;
    for (Memory device : {kDevice1, kDevice5, kDevice7}) {
        if (dice.chance(0.8)) old.of[device] = dice.bytes(dice.between(1, 6000));
    }
    if (dice.chance(0.8)) old.of[kMicro] = microFlashOf(firmwareData(dice));
    if (dice.chance(0.8)) old.of[kEdid] = edidImage(dice);
    if (dice.chance(0.8)) old.of[kGamma] = gammaTable(dice).second;
    if (dice.chance(0.8)) old.of[kFpga] = sim::xsvfSample(fpgaSize(dice));
    return old;
}

}  // namespace matrix
