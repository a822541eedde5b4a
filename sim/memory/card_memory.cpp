#include "sim/memory/card_memory.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "sim/card_choices.h"

namespace sim {

namespace {
constexpr std::array<int, 3> kDeviceNumbers = {1, 5, 7};

int indexOf(int device) {
    for (std::size_t i = 0; i < kDeviceNumbers.size(); ++i) {
        if (kDeviceNumbers[i] == device) return static_cast<int>(i);
    }
    return -1;
}

std::string fileOf(const std::string& dir, int device) {
    return dir + "/device" + std::to_string(device) + ".bin";
}

std::vector<std::uint8_t> readFile(const std::string& path, std::size_t limit) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes;
    if (!in) return bytes;
    bytes.resize(limit);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(limit));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

// Writes a sibling file first and renames it over the old one, so a file
// is never left half written.
void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::string temporary = path + ".new";
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    bool ok = out != nullptr;
    if (ok) {
        ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
        ok = std::fclose(out) == 0 && ok;
    }
    if (ok) ok = std::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        std::fprintf(stderr, "card: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        std::remove(temporary.c_str());
    }
}
}  // namespace

CardMemory::CardMemory(std::string stateDir)
    : stateDir_(std::move(stateDir)),
      devices_{FlashDevice(choices::kFlashCapacity), FlashDevice(choices::kFlashCapacity),
               FlashDevice(choices::kFlashCapacity)} {
    if (stateDir_.empty()) return;
    for (std::size_t i = 0; i < kDeviceNumbers.size(); ++i) {
        devices_[i].restore(readFile(fileOf(stateDir_, kDeviceNumbers[i]), devices_[i].capacity()));
    }
    micro_.restore(readFile(stateDir_ + "/micro.bin", choices::kMicroFlashSize));
}

FlashDevice* CardMemory::flash(int device) {
    int index = indexOf(device);
    return index < 0 ? nullptr : &devices_[static_cast<std::size_t>(index)];
}

const FlashDevice* CardMemory::flash(int device) const {
    int index = indexOf(device);
    return index < 0 ? nullptr : &devices_[static_cast<std::size_t>(index)];
}

void CardMemory::save() const {
    if (stateDir_.empty()) return;
    for (std::size_t i = 0; i < kDeviceNumbers.size(); ++i) {
        writeFile(fileOf(stateDir_, kDeviceNumbers[i]), devices_[i].content());
    }
    writeFile(stateDir_ + "/micro.bin", micro_.content());
}

}  // namespace sim
