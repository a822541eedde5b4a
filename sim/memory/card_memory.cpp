#include "sim/memory/card_memory.h"

#include "sim/card_choices.h"
#include "sim/memory/state_file.h"

namespace sim {

namespace {
constexpr std::array<int, 3> kDeviceNumbers = {1, 5, 7};

int indexOf(int device) {
    for (std::size_t i = 0; i < kDeviceNumbers.size(); ++i) {
        if (kDeviceNumbers[i] == device) return static_cast<int>(i);
    }
    return -1;
}

std::string fileOf(const std::string& dir, int device) { return stateFile::in(dir, stateFile::device(device)); }
}  // namespace

CardMemory::CardMemory(std::string stateDir)
    : stateDir_(std::move(stateDir)),
      content_(stateDir_),
      devices_{FlashDevice(choices::kFlashCapacity), FlashDevice(choices::kFlashCapacity),
               FlashDevice(choices::kFlashCapacity)} {
    if (stateDir_.empty()) return;
    for (std::size_t i = 0; i < kDeviceNumbers.size(); ++i) {
        devices_[i].restore(readFile(fileOf(stateDir_, kDeviceNumbers[i]), devices_[i].capacity()));
    }
    micro_.restore(readFile(stateFile::in(stateDir_, stateFile::kMicro), choices::kMicroFlashSize));
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
    content_.save();
    if (stateDir_.empty()) return;
    for (std::size_t i = 0; i < kDeviceNumbers.size(); ++i) {
        writeFile(fileOf(stateDir_, kDeviceNumbers[i]), devices_[i].content());
    }
    writeFile(stateFile::in(stateDir_, stateFile::kMicro), micro_.savedContent());
}

}  // namespace sim
