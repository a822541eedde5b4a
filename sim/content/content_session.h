// A transfer the running firmware hands the line to after one of its
// content commands: every byte the host sends goes to it until it ends.
#pragma once

#include <cstdint>
#include <string_view>

#include "sim/line/busy_window.h"
#include "sim/line/reply_sink.h"

namespace sim {

class ContentSession {
public:
    virtual ~ContentSession() = default;

    // A host byte that arrived at `at`.
    virtual void receive(std::uint8_t byte, Nanos at) = 0;

    bool ended() const { return ended_; }

    // True when the host has left the transfer: nothing came for the idle
    // time-out since the card last waited for it.
    bool leftBy(Nanos at) const;

protected:
    // A transfer that starts at `at`; `paced`: bytes take their time on the wire.
    ContentSession(ReplySink& out, bool paced, Nanos at);

    // Sends `bytes` from the serial interrupt routine, prompted at `at`;
    // returns when their last byte has left.
    Nanos send(Nanos at, std::string_view bytes);

    // Busy with `doing` from `from` for `length`: bytes arriving then are
    // lost (timing violations).
    void busy(Nanos from, Nanos length, std::string_view doing) { busy_.start(from, length, doing); }

    // False when a byte arriving at `at` is lost to a busy window.
    bool takes(Nanos at) { return busy_.takes(at, out_); }

    // False when a byte arriving at `at` came before the host could have
    // received the card's last reply: the host did not wait for it. Only
    // the first byte after each reply is judged.
    bool cameInTurn(Nanos at);

    void end() { ended_ = true; }

private:
    ReplySink& out_;
    BusyWindow busy_;
    Nanos byteTime_;
    Nanos answerableAt_ = 0;  // the earliest a host byte answering the last reply can arrive
    Nanos waitingSince_;      // since when the card waits for the host
    bool ended_ = false;
};

}  // namespace sim
