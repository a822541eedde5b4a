#include "sim/content/acknowledged_write.h"

namespace sim {

AcknowledgedWrite::AcknowledgedWrite(std::size_t units, std::size_t unitBytes, Keep keep, Preparation preparation,
                                     ReplySink& out, bool paced, Nanos at)
    : ContentSession(out, paced, at), expected_(units * unitBytes), unitBytes_(unitBytes), keep_(std::move(keep)) {
    data_.reserve(expected_);
    busy(at, preparation.time, preparation.doing);
}

void AcknowledgedWrite::receive(std::uint8_t byte, Nanos at) {
    if (!takes(at)) return;
    // A byte sent before the host had the last acknowledgement overruns the card.
    if (!cameInTurn(at)) return verdict(false, at);
    if (data_.size() == expected_) return verdict(byte == sum_ && keep_(data_), at);
    data_.push_back(byte);
    sum_ = static_cast<std::uint8_t>(sum_ + byte);
    if (data_.size() % unitBytes_ == 0) send(at, ".");
}

void AcknowledgedWrite::verdict(bool success, Nanos at) {
    send(at, success ? "~S" : "~E");
    end();
}

}  // namespace sim
