#include "sim/line/host_delivery.h"

namespace sim {

namespace {
// A UART's receive time-out: this many character times without a new byte.
constexpr Nanos kQuietCharacters = 4;

// How many of the first `known` arrivals come no later than `at`.
std::size_t arrivedBy(const Nanos* arrivals, std::size_t known, Nanos at) {
    std::size_t count = 0;
    while (count < known && arrivals[count] <= at) ++count;
    return count;
}

// The adapter's first tick at or after `arrival`.
Nanos nextTick(const HostDelivery& delivery, Nanos arrival) {
    if (arrival <= delivery.timerStart) return delivery.timerStart;
    Nanos periods = (arrival - delivery.timerStart + delivery.latency - 1) / delivery.latency;
    return delivery.timerStart + periods * delivery.latency;
}

Chunk uartChunk(std::size_t threshold, const Nanos* arrivals, std::size_t known, Nanos characterTime) {
    for (std::size_t i = 0;; ++i) {
        if (i + 1 == threshold) return {threshold, arrivals[i]};
        Nanos quietEnd = arrivals[i] + kQuietCharacters * characterTime;
        if (i + 1 == known || arrivals[i + 1] >= quietEnd) return {i + 1, quietEnd};
    }
}
}  // namespace

Chunk firstChunk(const HostDelivery& delivery, const Nanos* arrivals, std::size_t known, Nanos characterTime) {
    switch (delivery.kind) {
    case HostDelivery::Kind::kAdapter: {
        Nanos tick = nextTick(delivery, arrivals[0]);
        return {arrivedBy(arrivals, known, tick), tick};
    }
    case HostDelivery::Kind::kUart: return uartChunk(delivery.threshold, arrivals, known, characterTime);
    case HostDelivery::Kind::kEachByte: break;
    }
    return {arrivedBy(arrivals, known, arrivals[0]), arrivals[0]};
}

}  // namespace sim
