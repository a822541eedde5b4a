// Drives a simulated card directly with time-stamped bytes, as a host on the
// other end of the line would, for the card model's own tests.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "sim/card_line.h"

namespace simtest {

constexpr sim::Nanos kUs = 1000;
constexpr sim::Nanos kMs = 1000 * kUs;
constexpr sim::Nanos kSec = 1000 * kMs;

class TestHost {
public:
    explicit TestHost(sim::CardLine& line, sim::Nanos start = 0) : line_(line), now_(start) {}

    sim::Nanos now() const { return now_; }
    void wait(sim::Nanos duration) { now_ += duration; }

    void send(const std::string& bytes) {
        line_.hostWrite(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), now_);
    }

    // Everything that reaches the host within `duration`, with arrival
    // times; the clock ends at now + duration.
    std::vector<std::pair<sim::Nanos, std::uint8_t>> timedCollect(sim::Nanos duration) {
        std::vector<std::pair<sim::Nanos, std::uint8_t>> bytes;
        sim::Nanos until = now_ + duration;
        while (auto at = line_.nextArrival(until)) {
            std::uint8_t byte;
            if (line_.hostRead(&byte, 1, *at) != 1) break;
            bytes.emplace_back(*at, byte);
        }
        now_ = until;
        return bytes;
    }

    std::string collect(sim::Nanos duration) {
        std::string text;
        for (auto& [at, byte] : timedCollect(duration)) text.push_back(static_cast<char>(byte));
        return text;
    }

    // Sends `bytes` and returns what came back within `duration`.
    std::string exchange(const std::string& bytes, sim::Nanos duration = 100 * kMs) {
        send(bytes);
        return collect(duration);
    }

private:
    sim::CardLine& line_;
    sim::Nanos now_;
};

}  // namespace simtest
