// A stretch of time in which a part of the card is busy with something and
// takes no byte from the line (sim/card_choices.h says with what, and why).
// A byte that arrives inside it is lost; the card counts it as a timing
// violation: the host did not give the card the time the protocol gives it.
#pragma once

#include <string>
#include <string_view>

#include "sim/line/reply_sink.h"
#include "sim/line/serial_peer.h"

namespace sim {

struct TimingViolation {
    Nanos at;          // when the byte arrived
    std::string what;  // what the card was busy with
};

class BusyWindow {
public:
    // `kept`: the card keeps its time (paced); a card without time of its
    // own does everything at once and is never busy.
    explicit BusyWindow(bool kept) : kept_(kept) {}

    // Busy with `doing` from `from` for `length`.
    void start(Nanos from, Nanos length, std::string_view doing) {
        if (!kept_) return;
        until_ = from + length;
        doing_ = doing;
    }

    void end() { until_ = 0; }

    // False when a byte arriving at `at` is lost to the window; the loss is
    // told to `out`.
    bool takes(Nanos at, ReplySink& out) const {
        if (at >= until_) return true;
        out.lost(at, doing_);
        return false;
    }

private:
    bool kept_;
    Nanos until_ = 0;
    std::string_view doing_;
};

}  // namespace sim
