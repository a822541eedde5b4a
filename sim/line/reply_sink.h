// Where the card's counterparts put their answers: `at` is the time the
// request was complete; the line adds the processing delay and the bit rate.
#pragma once

#include <string_view>

#include "sim/line/serial_peer.h"

namespace sim {

class ReplySink {
public:
    virtual void reply(Nanos at, std::string_view bytes) = 0;

    // The same with a processing time of the counterpart's own instead of
    // the card's usual one.
    virtual void replyAfter(Nanos at, Nanos processing, std::string_view bytes) = 0;

protected:
    ~ReplySink() = default;
};

}  // namespace sim
