// What the fuzz targets share: the simulated port as the tool leaves it, a far end
// sending the input's bytes at the times it names, and the end of a broken invariant.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/win32.h"
#include "tests/support/scripted_peer.h"

namespace fuzz {

constexpr sim::Nanos kMs = ScriptedPeer::kMs;

// Aborts when an invariant does not hold: libFuzzer keeps the input as a crash.
void require(bool holds, const char* invariant);

// COM1 open with a scripted far end for one run, the clock from `startCode`: 0, or
// up to 65 s before the tick counter wraps. With `pulledAfterScript`, the adapter is
// pulled out 50 ms after the script's last chunk, every further read failing (error
// 31): the input decides how long the line lives, not 1 ms polls of silence.
class ScriptedLine {
public:
    explicit ScriptedLine(std::uint8_t startCode, bool pulledAfterScript = false);
    ~ScriptedLine();
    ScriptedLine(const ScriptedLine&) = delete;
    ScriptedLine& operator=(const ScriptedLine&) = delete;

    // Queues `data` as chunks [pause code][count][bytes], each its pause after the
    // previous one: codes 0-127 are 0-127 ms, 128-255 are 0-8128 ms in steps of 64 ms.
    // Returns every byte queued, in the order the tool receives them.
    std::string script(const std::uint8_t* data, std::size_t size);

    bool pulled() const { return peer_.pulled; }

private:
    // The scripted far end, which pulls the adapter out when a read would
    // wait past `pullAt`.
    struct Peer : ScriptedPeer {
        std::optional<sim::Nanos> nextArrival(sim::Nanos until) override;
        std::optional<sim::Nanos> pullAt;
        bool pulled = false;
    };

    Peer peer_;
    bool pulledAfterScript_;
};

}  // namespace fuzz
