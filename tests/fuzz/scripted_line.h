// What the fuzz targets of the tool's reply readers share: the simulated
// port opened as the tool leaves it, a scripted far end that sends the fuzz
// input's bytes at the times the input names, and the way a broken
// invariant ends the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/win32.h"
#include "tests/support/scripted_peer.h"

namespace fuzz {

constexpr sim::Nanos kMs = ScriptedPeer::kMs;

// Ends the run when an invariant does not hold: libFuzzer takes the abort
// as a crash and keeps the input that caused it.
void require(bool holds, const char* invariant);

// COM1 open on the simulated platform with a scripted far end, for one run,
// the clock starting at a tick from `startCode`: 0, or up to 65 s before
// the 32-bit tick counter wraps, so that waits cross the wrap.
//
// With `pulledAfterScript`, the adapter is pulled out 50 ms after the
// script's last chunk (which may be empty): every further read fails (last
// error 31). A reader waits out a silent line one 1 ms poll at a time, so
// the silent tail of a run would cost the fuzzer far more than its bytes;
// this way the input decides how long the line lives, and a run's end
// exercises the failed-read paths. Without it the line stays silent.
class ScriptedLine {
public:
    explicit ScriptedLine(std::uint8_t startCode, bool pulledAfterScript = false);
    ~ScriptedLine();
    ScriptedLine(const ScriptedLine&) = delete;
    ScriptedLine& operator=(const ScriptedLine&) = delete;

    // Reads `data` as chunks [pause code][count][count bytes], each chunk
    // reaching the tool its pause after the previous one (the first after
    // the port opened), and queues them. Pause codes 0 to 127 are 0 to 127
    // ms, 128 to 255 are 0 to 8128 ms in steps of 64 ms: fine steps near a
    // read, long ones that cross the readers' waits. Returns every byte
    // queued, in the order the tool receives them.
    std::string script(const std::uint8_t* data, std::size_t size);

    // Whether the adapter has been pulled out (reads fail from then on).
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
