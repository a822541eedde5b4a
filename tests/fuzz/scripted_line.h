// What the fuzz targets of the tool's reply readers share: the simulated
// port opened as the tool leaves it, a scripted far end that sends the fuzz
// input's bytes at the times the input names, and the way a broken
// invariant ends the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/win32.h"
#include "tests/support/scripted_peer.h"

namespace fuzz {

constexpr sim::Nanos kMs = ScriptedPeer::kMs;

// Ends the run when an invariant does not hold: libFuzzer takes the abort
// as a crash and keeps the input that caused it.
void require(bool holds, const char* invariant);

// The tick the simulated clock starts at, from one input byte: 0, or up to
// 65 s before the 32-bit tick counter wraps, so that waits cross the wrap.
DWORD startTickOf(std::uint8_t code);

// A pause before a chunk of bytes, from one input byte: codes 0 to 127 are
// 0 to 127 ms, codes 128 to 255 are 0 to 8128 ms in steps of 64 ms; fine
// steps near a read, long ones that cross the readers' waits.
sim::Nanos pauseOf(std::uint8_t code);

// COM1 open on the simulated platform with a scripted far end, for one run.
class ScriptedLine {
public:
    explicit ScriptedLine(std::uint8_t startCode);
    ~ScriptedLine();
    ScriptedLine(const ScriptedLine&) = delete;
    ScriptedLine& operator=(const ScriptedLine&) = delete;

    // Reads `data` as chunks [pause code][count][count bytes], each chunk
    // reaching the tool its pause after the previous one (the first after
    // the port opened), and queues them. Returns every byte queued, in the
    // order the tool receives them.
    std::string script(const std::uint8_t* data, std::size_t size);

    // Simulated time since the port opened.
    sim::Nanos elapsed() const;

private:
    ScriptedPeer peer_;
};

}  // namespace fuzz
