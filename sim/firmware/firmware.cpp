#include "sim/firmware/firmware.h"

#include "sim/card_choices.h"
#include "sim/content/content_commands.h"
#include "sim/vxp/isp_replies.h"
#include "sim/firmware/text_commands.h"

namespace sim {

namespace {
constexpr std::string_view kMicroAccepted = "=M*";
constexpr std::string_view kMicroInvalid = "=M~";
}  // namespace

void Firmware::receive(std::uint8_t byte, Nanos at) {
    if (!busy_.takes(at, out_)) return;
    if (transfer_ && !transfer_->leftBy(at)) {
        transfer_->receive(byte, at);
        if (transfer_->ended()) transfer_.reset();
        return;
    }
    transfer_.reset();

    std::optional<Request> request = reader_.feed(byte);
    if (!request) return;
    switch (request->kind) {
    case Request::Kind::kProbe: out_.reply(at, choices::kProbeAnswer); break;
    case Request::Kind::kText: textCommand(*request, at); break;
    case Request::Kind::kEmptyLine:
        out_.reply(at, choices::kPrompt);
        busy_.start(at, choices::kPromptTime, choices::kRedrawingStatus);
        break;
    case Request::Kind::kMicro: microCommand(request->body[0], at); break;
    case Request::Kind::kPacket: packet(*request, at); break;
    }
}

void Firmware::textCommand(const Request& request, Nanos at) {
    if (auto answer = microMode_.answer(request.body)) {
        std::string_view logged = *answer;
        if (!logged.empty() && logged.back() == '\r') logged.remove_suffix(1);
        memory_.content().logTextCommand(request.body, logged);
        if (answer->empty()) return;
        out_.reply(at, *answer);
        if (*answer == choices::kMicroModeAnswer) {
            busy_.start(at, choices::kMicroModeSaveTime, choices::kSavingForMicroMode);
        }
        return;
    }
    if (!request.overflowed) {
        transfer_ = startContentSession(request.body, options_, memory_.content(), out_, at);
    }
    if (transfer_) {
        memory_.content().logTextCommand(request.body, "(transfer)");
        if (transfer_->ended()) transfer_.reset();
        return;
    }
    std::string answer = request.overflowed ? std::string(choices::kUnknownTextCommandAnswer)
                                            : answerTextCommand(request.body, options_);
    memory_.content().logTextCommand(request.body, std::string_view(answer).substr(0, answer.size() - 1));
    out_.reply(at, answer);
    if (answer == choices::kAcknowledgedAnswer) busy_.start(at, choices::kSettingTime, choices::kApplyingSetting);
}

void Firmware::microCommand(char letter, Nanos at) {
    switch (letter) {
    case 'P': vxp_.holdInReset(); break;
    case 'R': vxp_.releaseReset(at); break;
    case 'A':
        vxp_.endDownload();
        memory_.save();
        break;
    case 'E':
        vxp_.endRun(at);
        memory_.save();
        break;
    default: out_.reply(at, kMicroInvalid); return;
    }
    out_.reply(at, kMicroAccepted);
}

void Firmware::packet(const Request& request, Nanos at) {
    // A body too long for any packet is passed on empty: refused as undecodable.
    std::optional<Vxp::Reply> reply =
        vxp_.packet(request.overflowed ? std::string_view() : std::string_view(request.body), at);
    if (reply) out_.reply(reply->at, isp::wireForm(reply->words));
}

}  // namespace sim
