// Where the card's counterparts put their answers: `at` is the time the
// request was complete; the line adds the processing delay and the bit rate.
#pragma once

#include <string_view>

#include "sim/line/serial_peer.h"

namespace sim {

class ReplySink {
public:
    virtual void reply(Nanos at, std::string_view bytes) = 0;

    // A reply from the card's serial interrupt routine (the content
    // transfers' requests and acknowledgements): it leaves after the short
    // interrupt delay instead of the processing delay. Returns the time its
    // last byte reaches the host.
    virtual Nanos interruptReply(Nanos at, std::string_view bytes) = 0;

protected:
    ~ReplySink() = default;
};

}  // namespace sim
