#include "sim/vxp/isp_session.h"

#include "sim/card_choices.h"
#include "sim/vxp/isp_codes.h"
#include "sim/vxp/isp_replies.h"

namespace sim {

namespace {
constexpr std::uint16_t kModeWrite = 0x0100;
constexpr std::uint16_t kModeRead = 0x0200;
constexpr std::uint32_t kBlockBytes = 32;
constexpr std::uint32_t kMiB = 1024 * 1024;

Nanos eraseTime(std::uint64_t bytes) { return choices::kEraseBaseTime + choices::kEraseTimePerMiB * bytes / kMiB; }
}  // namespace

void IspSession::reset() {
    mode_ = kNone;
    device_ = 0;
    address_ = 0;
    end_ = 0;
    eraseEndsAt_ = 0;
    unlockDue_ = false;
    erasedInRun_.fill(false);
    served_ = 0xFF;
}

isp::Words IspSession::setMode(const isp::Words& packet, Nanos at, bool writeAllowed) {
    std::uint16_t mode = packet[1];
    int device = packet[2];
    std::uint32_t start = packet[3] | (static_cast<std::uint32_t>(packet[4]) << 16);
    std::uint32_t length = packet[5] | (static_cast<std::uint32_t>(packet[6]) << 16);
    bool served = device < 8 && ((served_ >> device) & 1) != 0;
    FlashDevice* flash = served ? memory_.flash(device) : nullptr;
    if ((mode != kModeWrite && mode != kModeRead) || flash == nullptr ||
        static_cast<std::uint64_t>(start) + length > flash->capacity()) {
        return isp::nack(isp::kSetMode, choices::kNackBadArguments);
    }
    if (mode == kModeWrite && !writeAllowed) return isp::nack(isp::kSetMode, choices::kNackNotNow);

    mode_ = mode == kModeWrite ? kWrite : kRead;
    device_ = device;
    address_ = start;
    end_ = start + length;
    bool& erased = erasedInRun_[static_cast<std::size_t>(device)];
    if (mode_ == kWrite && device == 1) {
        flash->eraseFrom(start);
        if (!erased) eraseEndsAt_ = at + eraseTime(end_);
        erased = true;
    } else if (mode_ == kWrite && start == choices::kEraseFromAddress && !erased) {
        flash->eraseFrom(0);
        erased = true;
        eraseEndsAt_ = at + eraseTime(end_);
        unlockDue_ = true;
    }
    return isp::ack(isp::kSetMode);
}

isp::Words IspSession::imageBlock(const isp::Words& packet) {
    if (mode_ != kWrite) return isp::nack(isp::kImageBlock, choices::kNackNotNow);
    if (address_ >= end_) return isp::nack(isp::kImageBlock, choices::kNackBadArguments);
    std::uint8_t bytes[kBlockBytes];
    for (std::size_t k = 0; k < kBlockBytes / 2; ++k) {
        bytes[2 * k] = static_cast<std::uint8_t>(packet[1 + k] & 0xFF);
        bytes[2 * k + 1] = static_cast<std::uint8_t>(packet[1 + k] >> 8);
    }
    std::uint32_t count = end_ - address_ < kBlockBytes ? end_ - address_ : kBlockBytes;
    memory_.flash(device_)->program(address_, bytes, count);
    address_ += kBlockBytes;
    return isp::ack(isp::kImageBlock);
}

isp::Words IspSession::status() const {
    return isp::dataReply(isp::kModeStatus, {static_cast<std::uint16_t>((mode_ << 8) | device_)});
}

isp::Words IspSession::readBlock() {
    if (mode_ != kRead) return isp::nack(isp::kReadBlock, choices::kNackNotNow);
    const FlashDevice* flash = memory_.flash(device_);
    if (address_ >= flash->capacity()) return isp::nack(isp::kReadBlock, choices::kNackBadArguments);
    isp::Words data;
    for (std::uint32_t k = 0; k < kBlockBytes / 2; ++k) {
        std::uint32_t at = address_ + 2 * k;
        data.push_back(static_cast<std::uint16_t>(flash->read(at) | (flash->read(at + 1) << 8)));
    }
    address_ += kBlockBytes;
    return isp::dataReply(isp::kReadBlock, data);
}

}  // namespace sim
