// Where the card's counterparts put their answers: `at` is the time the
// request was complete; the line adds the processing delay and the bit rate.
// They also tell it of every byte they had to lose because it came while
// they were busy (a timing violation).
#pragma once

#include <string_view>

#include "sim/line/serial_peer.h"

namespace sim {

class ReplySink {
public:
    virtual void reply(Nanos at, std::string_view bytes) = 0;

    // The same with a processing time of the counterpart's own instead of
    // the card's usual one (an echo or acknowledgement from the serial
    // interrupt routine leaves within microseconds). Returns the time the
    // reply's last byte reaches the host.
    virtual Nanos replyAfter(Nanos at, Nanos processing, std::string_view bytes) = 0;

    // A byte (or, for the video processor, a packet) that arrived at `at`
    // was lost: the counterpart was busy with `doing`.
    virtual void lost(Nanos at, std::string_view doing) = 0;

protected:
    ~ReplySink() = default;
};

}  // namespace sim
