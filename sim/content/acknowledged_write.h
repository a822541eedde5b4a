// The EDID and gamma transfers: a fixed number of units (one byte for the
// EDID, a two-byte value for the gamma table), each acknowledged with '.'
// once its last byte has arrived, then one sum byte (all the data bytes
// modulo 256) and the verdict "~S" or "~E".
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "sim/content/content_session.h"

namespace sim {

class AcknowledgedWrite final : public ContentSession {
public:
    // Takes the data when the sum matched and answers whether the memory
    // kept it.
    using Keep = std::function<bool(const std::vector<std::uint8_t>& data)>;

    // Starts at `at`, busy with `preparing` (sim/card_choices.h) for
    // `preparation` first.
    struct Preparation {
        Nanos time;
        std::string_view doing;
    };
    AcknowledgedWrite(std::size_t units, std::size_t unitBytes, Keep keep, Preparation preparation, ReplySink& out,
                      bool paced, Nanos at);

    void receive(std::uint8_t byte, Nanos at) override;

private:
    void verdict(bool success, Nanos at);

    std::size_t expected_;
    std::size_t unitBytes_;
    Keep keep_;
    std::vector<std::uint8_t> data_;
    std::uint8_t sum_ = 0;
};

}  // namespace sim
