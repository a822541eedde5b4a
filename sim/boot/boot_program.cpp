#include "sim/boot/boot_program.h"

#include <iterator>
#include <string_view>

#include "sim/card_choices.h"

namespace sim {

using namespace std::string_view_literals;

struct BootExchange {
    BootStep step;
    std::string_view request;
    std::string_view answer;
    std::string_view wrong;        // what the wrong fault answers
    std::string_view badSum = {};  // what the bad-sum fault answers
    Nanos busyFor = 0;             // what the kernel does once the request is in
    std::string_view busy = {};
};

namespace {

constexpr std::uint8_t kMatchByte = 0x00;
constexpr std::uint8_t kStartByte = 0x55;
constexpr std::string_view kAck = "\x06"sv;
constexpr std::string_view kStarted = "\xAA"sv;
constexpr std::string_view kEraseFailed = "\xAA\xFF"sv;
constexpr std::uint8_t kStatusInquiry = 0x4F;
constexpr std::uint32_t kProgrammingUnit = 128;

// The micro kernel's commands, in the order it takes them. After the new
// bit rate is acknowledged it listens at 115200 bit/s.
// clang-format off
constexpr BootExchange kMicroKernelCommands[] = {
    {BootStep::kInquiry, "\x27"sv, "\x37\x02\x00\x80\x47"sv, "\x37\x02\x00\x40\x87"sv, "\x37\x02\x00\x80\x48"sv,
     choices::kDeviceTableTime, choices::kReadingDeviceTable},
    {BootStep::kDevice, "\x10\x04\x30\x34\x31\x30\x27"sv, kAck, choices::kBootRefusal, {},
     choices::kDeviceSetupTime, choices::kLoadingDeviceRoutines},
    {BootStep::kClock, "\x11\x01\x03\xEB"sv, kAck, choices::kBootRefusal, {},
     choices::kClockSwitchTime, choices::kSwitchingClock},
    {BootStep::kRate, "\x3F\x07\x04\x80\x04\x52\x02\x04\x02\xD8"sv, kAck, choices::kBootRefusal, {},
     choices::kRateSwitchTime, choices::kSwitchingBitRate},
    {BootStep::kConfirm, kAck, kAck, choices::kBootRefusal, {},
     choices::kRateCheckTime, choices::kCheckingBitRate},
    {BootStep::kFinish, "\x40"sv, kAck, choices::kBootRefusal},
};

// The main kernel's commands: its status, then the user flash selected.
constexpr BootExchange kMainKernelCommands[] = {
    {BootStep::kStatus, "\x4F"sv, "\x5F\x02\x03\x00\x9C"sv, "\x5F\x02\x04\x00\x9B"sv, "\x5F\x02\x03\x00\x9D"sv,
     choices::kFlashStateTime, choices::kReadingFlashState},
    {BootStep::kPrepare, "\x43"sv, kAck, choices::kBootRefusal},
};
// clang-format on

constexpr BootExchange kImageStatus = {BootStep::kImageStatus, "\x4F"sv, "\x5F\x02\x04\x00\x9B"sv,
                                       "\x5F\x02\x03\x00\x9C"sv, "\x5F\x02\x04\x00\x9C"sv};

std::string_view one(const std::uint8_t& byte) { return {reinterpret_cast<const char*>(&byte), 1}; }

}  // namespace

BootProgram::BootProgram(const CardOptions& options, CardMemory& memory, ReplySink& out)
    : memory_(memory),
      answers_(options, out),
      busy_(options.paced),
      baud_(choices::kBootBaud),
      mainKernel_(choices::kMainKernelSumConstant),
      writeKernel_(choices::kWriteKernelSumConstant) {}

void BootProgram::startAt(Nanos at) { busy_.start(at, choices::kBootStartTime, choices::kStartingBootProgram); }

void BootProgram::receive(std::uint8_t byte, Nanos at) {
    if (answers_.silenced() || answers_.busy(at) || !busy_.takes(at, answers_.line())) return;
    switch (stage_) {
    case Stage::kMatching: matching(byte, at); break;
    case Stage::kKernelLength:
    case Stage::kKernelBytes: microKernel(byte, at); break;
    case Stage::kCommands:
        if (auto frame = frames_.take(byte)) {
            command(*frame, at);
        } else if (exchanges_->step == BootStep::kClock) {
            busy_.start(at, choices::kClockByteTime, choices::kCheckingClockByte);
        }
        break;
    case Stage::kMainKernel: kernelLoaded(mainKernel_.take(byte), BootStep::kMainKernel, at); break;
    case Stage::kWriteKernel: kernelLoaded(writeKernel_.take(byte), BootStep::kWriteKernel, at); break;
    case Stage::kProgramming:
        if (auto frame = frames_.take(byte)) {
            programming(*frame, at);
        } else if (vectorArea_ && frames_.pending().size() <= 5 &&
                   static_cast<std::uint8_t>(frames_.pending()[0]) == choices::kProgramCommand) {
            busy_.start(at, choices::kHeaderByteTime, choices::kSettingAddressLatch);
        }
        break;
    case Stage::kHalted: break;
    }
}

void BootProgram::refuse(Nanos at) { answers_.sendPlain(at, choices::kBootAnswerTime, choices::kBootRefusal); }

void BootProgram::matching(std::uint8_t byte, Nanos at) {
    // Anything but 0x00 and, once the rate is matched, 0x55 is line noise here.
    if (byte == kMatchByte) {
        rateMatched_ = true;
        answers_.send(BootStep::kMatch, at, choices::kBootAnswerTime, one(byte), one(byte));
    } else if (byte == kStartByte && rateMatched_) {
        answers_.send(BootStep::kStart, at, choices::kBootAnswerTime, kStarted, kStarted);
        stage_ = Stage::kKernelLength;
        lengthBytes_ = 0;
        kernelLength_ = 0;
    }
}

void BootProgram::microKernel(std::uint8_t byte, Nanos at) {
    const std::uint8_t wrongEcho = byte ^ 0x01;
    if (stage_ == Stage::kKernelLength) {
        BootStep step = lengthBytes_ == 0 ? BootStep::kLengthHigh : BootStep::kLengthLow;
        answers_.send(step, at, choices::kBootEchoTime, one(byte), one(wrongEcho));
        kernelLength_ = kernelLength_ << 8 | byte;
        if (++lengthBytes_ < 2) return;
        if (kernelLength_ == 0 || kernelLength_ > choices::kMaxKernelLength) {
            answers_.sendPlain(at, choices::kBootAnswerTime, choices::kKernelLengthRefused);
            stage_ = Stage::kMatching;
            rateMatched_ = false;
            return;
        }
        stage_ = Stage::kKernelBytes;
        kernelReceived_ = 0;
        return;
    }
    answers_.send(BootStep::kKernel, at, choices::kBootEchoTime, one(byte), one(wrongEcho));
    if (++kernelReceived_ < kernelLength_) return;

    // The whole micro kernel is in RAM: the boot program erases the flash
    // and hands over to it.
    if (answers_.send(BootStep::kErase, at, choices::kBootEraseTime, kStarted, kEraseFailed) ==
        BootFault::Kind::kWrong) {
        stage_ = Stage::kHalted;
        return;
    }
    memory_.micro().erase();
    memory_.save();
    stage_ = Stage::kCommands;
    exchanges_ = std::begin(kMicroKernelCommands);
    exchangesEnd_ = std::end(kMicroKernelCommands);
}

void BootProgram::command(const std::string& frame, Nanos at) {
    const BootExchange& awaited = *exchanges_;
    if (frame != awaited.request) {
        refuse(at);
        return;
    }
    answers_.send(awaited.step, at, choices::kBootAnswerTime, awaited.answer, awaited.wrong, awaited.badSum);
    if (awaited.step == BootStep::kRate) baud_ = choices::kFirmwareBaud;
    if (!awaited.busy.empty()) busy_.start(at, awaited.busyFor, awaited.busy);
    if (++exchanges_ != exchangesEnd_) return;
    stage_ = awaited.step == BootStep::kFinish ? Stage::kMainKernel : Stage::kWriteKernel;
}

void BootProgram::kernelLoaded(KernelLoad::Result result, BootStep step, Nanos at) {
    const bool main = step == BootStep::kMainKernel;
    switch (result) {
    case KernelLoad::Result::kMore: return;
    case KernelLoad::Result::kLengthByte:
        return busy_.start(at, choices::kLengthByteTime, choices::kSizingKernelRam);
    case KernelLoad::Result::kLength:
        if (main) return busy_.start(at, choices::kKernelRamClearTime, choices::kClearingKernelRam);
        return busy_.start(at, choices::kLengthByteTime, choices::kSizingKernelRam);
    case KernelLoad::Result::kLastByte:
        if (main) busy_.start(at, choices::kMainKernelCopyTime, choices::kCopyingKernel);
        return;
    case KernelLoad::Result::kRefused: return refuse(at);
    case KernelLoad::Result::kLoaded: break;
    }
    answers_.send(step, at, choices::kBootAnswerTime, kAck, choices::kBootRefusal);
    if (main) {
        busy_.start(at, choices::kMainKernelStartTime, choices::kStartingMainKernel);
        stage_ = Stage::kCommands;
        exchanges_ = std::begin(kMainKernelCommands);
        exchangesEnd_ = std::end(kMainKernelCommands);
    } else {
        stage_ = Stage::kProgramming;
    }
}

void BootProgram::programming(const std::string& frame, Nanos at) {
    auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(frame[i]); };
    if (frame.size() == 1 && byte(0) == kStatusInquiry) {
        vectorArea_ = false;
        memory_.save();
        answers_.send(kImageStatus.step, at, choices::kBootAnswerTime, kImageStatus.answer, kImageStatus.wrong,
                      kImageStatus.badSum);
        return;
    }
    if (byte(0) != choices::kProgramCommand || frame.size() != choices::kProgramFrameLength) {
        refuse(at);
        return;
    }
    std::uint8_t sum = 0;
    for (char c : frame) sum = static_cast<std::uint8_t>(sum + static_cast<std::uint8_t>(c));
    std::uint32_t address = static_cast<std::uint32_t>(byte(1)) << 24 | byte(2) << 16 | byte(3) << 8 | byte(4);
    if (sum != 0 || address % kProgrammingUnit != 0 ||
        !memory_.micro().program(address, reinterpret_cast<const std::uint8_t*>(frame.data()) + 5,
                                 kProgrammingUnit)) {
        refuse(at);
        return;
    }
    answers_.send(BootStep::kFrame, at, choices::kBootFrameTime, kAck, choices::kBootRefusal);
    if (vectorArea_ && address == choices::kLastVectorFrame) {
        busy_.start(at, choices::kVectorProgramTime, choices::kProgrammingVectorArea);
    }
}

}  // namespace sim
