#include "sim/boot/boot_answers.h"

#include <string>

#include "sim/card_choices.h"

namespace sim {

BootFault::Kind BootAnswers::send(BootStep step, Nanos at, Nanos processing, std::string_view answer,
                                  std::string_view wrong, std::string_view badSum) {
    if (silenced_) return BootFault::Kind::kSilent;
    BootFault::Kind applied = BootFault::Kind::kNone;
    if (!faultUsed_ && fault_.kind != BootFault::Kind::kNone && fault_.step == step) {
        faultUsed_ = fault_.kind != BootFault::Kind::kNoAck;  // a missing acknowledge stays missing
        applied = fault_.kind;
    }
    std::string bytes(answer);
    switch (applied) {
    case BootFault::Kind::kSilent: silenced_ = true; return applied;
    case BootFault::Kind::kNoAck: return applied;
    case BootFault::Kind::kLate:
        at += lateBy_ * choices::kMillisecond;
        busyUntil_ = at + processing;
        break;
    case BootFault::Kind::kWrong: bytes = wrong; break;
    case BootFault::Kind::kBadSum:
        if (!badSum.empty()) bytes = badSum;
        break;
    case BootFault::Kind::kChatter:
        bytes.append(choices::kBootChatterBytes, static_cast<char>(choices::kGarbageByte));
        break;
    case BootFault::Kind::kNone: break;
    }
    out_.replyAfter(at, processing, bytes);
    return applied;
}

}  // namespace sim
