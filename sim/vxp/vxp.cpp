#include "sim/vxp/vxp.h"

#include "sim/card_choices.h"
#include "sim/vxp/isp_codes.h"
#include "sim/vxp/isp_replies.h"

namespace sim {

namespace {
// The commands the video processor knows: the count of their header and
// which of its programs answer them.
struct Command {
    std::uint16_t code;
    unsigned count;
    bool resident;
    bool loader;
    bool driver;
};
constexpr Command kCommands[] = {
    {isp::kDriverBlock, 9, false, true, false}, {isp::kCallDriver, 3, false, true, false},
    {isp::kSetMode, 5, true, false, true},      {isp::kImageBlock, 15, false, false, true},
    {isp::kModeStatus, 0, true, false, true},   {isp::kReadBlock, 0, true, false, true},
    {isp::kDeviceName, 0, true, false, false},  {isp::kVxpStatus, 0, true, false, false},
    {isp::kCalibration, 1, true, false, false},
};

const Command* find(std::uint16_t code) {
    for (const Command& command : kCommands) {
        if (command.code == code) return &command;
    }
    return nullptr;
}
}  // namespace

Vxp::Vxp(const CardOptions& options, CardMemory& memory, ReplySink& line)
    : paced_(options.paced),
      line_(line),
      nackRate_(options.nack),
      nackCode_(options.nackCode),
      nackDice_(options.seed, FaultStream::kNack),
      session_(memory),
      report_(options) {}

void Vxp::holdInReset() {
    programMode_ = true;
    heldInReset_ = true;
    running_ = false;
}

void Vxp::releaseReset(Nanos at) {
    heldInReset_ = false;
    restart(at, programMode_ ? Program::kLoader : Program::kResident, choices::kVxpResetTime);
}

void Vxp::endDownload() { programMode_ = false; }

void Vxp::endRun(Nanos at) {
    programMode_ = false;
    if (heldInReset_ || !willRun(Program::kResident)) {
        heldInReset_ = false;
        restart(at, Program::kResident, choices::kVxpResetTime);
    }
}

bool Vxp::willRun(Program program) const { return running_ ? program_ == program : startsInto_ == program; }

void Vxp::restart(Nanos at, Program into, Nanos takes) {
    running_ = false;
    startsAt_ = at + takes;
    startsInto_ = into;
}

void Vxp::catchUp(Nanos at) {
    if (!running_ && !heldInReset_ && at >= startsAt_) start(startsInto_);
}

void Vxp::start(Program program) {
    running_ = true;
    program_ = program;
    session_.reset();
    loader_.clear();
    if (program == Program::kDriver) session_.serveOnly(driverDevices_);
}

std::string_view Vxp::busyAt(Nanos at) const {
    if (!paced_) return {};
    if (!running_ && at < startsAt_ && startsInto_ != Program::kResident) {
        return startsInto_ == Program::kDriver ? choices::kStartingDriver : choices::kRestartingVxp;
    }
    return at < unlockedAt_ ? choices::kUnlockingDevice : std::string_view();
}

std::optional<Vxp::Reply> Vxp::packet(std::string_view body, Nanos at) {
    if (heldInReset_) return std::nullopt;
    if (std::string_view busy = busyAt(at); !busy.empty()) {
        line_.lost(at, busy);
        return std::nullopt;
    }
    isp::Decoded decoded = isp::decodeBody(body);
    if (!decoded.codingOk) return std::nullopt;
    if (!running_ && at < startsAt_) at = startsAt_;
    catchUp(at);
    return Reply{answer(decoded, at), at};
}

isp::Words Vxp::answer(const isp::Decoded& decoded, Nanos at) {
    std::uint16_t code = decoded.words.empty() ? 0 : isp::codeOf(decoded.words[0]);
    if (!decoded.wellFormed || !decoded.checksumOk) {
        return isp::nack(code, choices::kNackBadPacket);
    }
    if (session_.erasing(at)) {
        line_.lost(at, choices::kErasingDevice);
        return isp::nack(code, choices::kNackErasing);
    }
    const Command* command = find(code);
    bool answers = command != nullptr && (program_ == Program::kResident ? command->resident
                                          : program_ == Program::kLoader ? command->loader
                                                                         : command->driver);
    if (!answers) return isp::nack(code, choices::kNackNotNow);
    if (isp::countOf(decoded.words[0]) != command->count) {
        return isp::nack(code, choices::kNackBadArguments);
    }
    if ((nackCode_ == 0 || nackCode_ == code) && nackDice_.roll(nackRate_)) {
        return isp::nack(code, choices::kNackInjected);
    }
    return execute(decoded.words, at);
}

isp::Words Vxp::execute(const isp::Words& packet, Nanos at) {
    switch (isp::codeOf(packet[0])) {
    case isp::kDeviceName: return report_.deviceName();
    case isp::kVxpStatus: return report_.status();
    case isp::kCalibration: return report_.calibration(packet);
    case isp::kDriverBlock: return loader_.block(packet);
    case isp::kCallDriver: {
        DriverLoader::Call call = loader_.call(packet);
        if (call.started) {
            driverDevices_ = call.devices;
            restart(at, Program::kDriver, choices::kDriverStartTime);
        }
        return call.reply;
    }
    case isp::kSetMode: return session_.setMode(packet, at, program_ == Program::kDriver);
    case isp::kImageBlock: return session_.imageBlock(packet);
    case isp::kModeStatus:
        if (session_.unlockDue()) unlockedAt_ = at + choices::kUnlockTime;
        return session_.status();
    default: return session_.readBlock();
    }
}

}  // namespace sim
