// How the boot program and its kernels answer: after their processing time,
// with the card's boot fault applied to the first answer of its step.
#pragma once

#include <string_view>

#include "sim/boot/boot_fault.h"
#include "sim/card_options.h"
#include "sim/line/reply_sink.h"

namespace sim {

class BootAnswers {
public:
    BootAnswers(const CardOptions& options, ReplySink& out)
        : fault_(options.bootFault), lateBy_(options.lateByMs), out_(out) {}

    // Sends `answer` for `step`, `processing` after `at`; the wrong fault
    // sends `wrong` instead, the bad-sum fault `badSum`. Returns the fault
    // applied (kNone when none was).
    BootFault::Kind send(BootStep step, Nanos at, Nanos processing, std::string_view answer,
                         std::string_view wrong, std::string_view badSum = {});

    // Sends `bytes` with no fault applied (a refusal), unless silenced.
    void sendPlain(Nanos at, Nanos processing, std::string_view bytes) {
        if (!silenced_) out_.replyAfter(at, processing, bytes);
    }

    // The line the answers go to, which is also told of lost bytes.
    ReplySink& line() { return out_; }

    // The program answers nothing more (a silent fault has begun).
    bool silenced() const { return silenced_; }

    // A late answer has not left yet at `at`: the program is busy.
    bool busy(Nanos at) const { return at < busyUntil_; }

private:
    BootFault fault_;
    std::uint64_t lateBy_;
    ReplySink& out_;
    bool faultUsed_ = false;
    bool silenced_ = false;
    Nanos busyUntil_ = 0;
};

}  // namespace sim
