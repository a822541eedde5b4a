#include "sim/samples/firmware_image.h"

#include <algorithm>
#include <cstdio>

#include "sim/line/fault_dice.h"

namespace sim {

namespace {

constexpr std::size_t kVectorArea = 1024;
constexpr std::uint32_t kMainAreaStart = 0x800;
constexpr std::uint32_t kEndOfImage = 0xFFFF8000;
constexpr std::uint64_t kSampleSeed = 0x7144;

}  // namespace

std::string sRecord(char type, std::uint32_t address, std::size_t addressBytes, const std::uint8_t* data,
                    std::size_t count) {
    std::vector<std::uint8_t> bytes;
    bytes.push_back(static_cast<std::uint8_t>(addressBytes + count + 1));
    for (std::size_t i = addressBytes; i-- > 0;) bytes.push_back(static_cast<std::uint8_t>(address >> (8 * i)));
    bytes.insert(bytes.end(), data, data + count);
    unsigned sum = 0;
    for (std::uint8_t byte : bytes) sum += byte;
    bytes.push_back(static_cast<std::uint8_t>(~sum));
    std::string text = {'S', type};
    char pair[3];
    for (std::uint8_t byte : bytes) {
        std::snprintf(pair, sizeof pair, "%02X", byte);
        text += pair;
    }
    return text + "\r\n";
}

std::vector<std::uint8_t> sampleFirmwareData() {
    std::vector<std::uint8_t> data(kVectorArea + 15 * 1024 + 80);
    FaultDice random(kSampleSeed, FaultStream::kSamples);
    for (std::uint8_t& byte : data) byte = random.byte();
    return data;
}

std::string sRecordFile(const std::vector<std::uint8_t>& data, std::size_t perRecord) {
    const std::uint8_t header[] = {'a', 'p', 'p', 'M', 'a', 'i', 'n'};
    std::string text = sRecord('0', 0, 2, header, sizeof header);
    for (std::size_t at = 0; at < data.size(); at += perRecord) {
        std::size_t count = std::min(perRecord, data.size() - at);
        auto address = static_cast<std::uint32_t>(at < kVectorArea ? at : at - kVectorArea + kMainAreaStart);
        text += sRecord('3', address, 4, data.data() + at, count);
    }
    return text + sRecord('3', kEndOfImage, 4, nullptr, 0);
}

std::vector<std::uint8_t> flashImageOf(const std::vector<std::uint8_t>& data, std::size_t flashSize) {
    std::vector<std::uint8_t> flash(flashSize, 0xFF);
    std::size_t head = std::min(data.size(), kVectorArea);
    std::copy_n(data.begin(), head, flash.begin());
    std::copy(data.begin() + static_cast<std::ptrdiff_t>(head), data.end(), flash.begin() + kMainAreaStart);
    return flash;
}

}  // namespace sim
