#include "tests/fuzz/scripted_line.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/sim/sim_port.h"
#include "tests/support/tool_run.h"

namespace fuzz {

void require(bool holds, const char* invariant) {
    if (holds) return;
    std::fprintf(stderr, "invariant broken: %s\n", invariant);
    std::abort();
}

namespace {
// Long enough for the reader to take the last chunk whole.
constexpr sim::Nanos kQuietBeforePull = 50 * kMs;
DWORD startTickOf(std::uint8_t code) { return 0u - static_cast<DWORD>(code) * 256u; }
sim::Nanos pauseOf(std::uint8_t code) { return code < 128 ? code * kMs : (code - 128u) * 64u * kMs; }
}  // namespace

ScriptedLine::ScriptedLine(std::uint8_t startCode, bool pulledAfterScript)
    : pulledAfterScript_(pulledAfterScript) {
    require(openSimPort(peer_, startTickOf(startCode)), "the simulated COM1 opens");
}

std::optional<sim::Nanos> ScriptedLine::Peer::nextArrival(sim::Nanos until) {
    // Asked while a read is under way: that read still ends as the line
    // has it, the next one fails.
    if (!pulled && pullAt && until > *pullAt) {
        pulled = true;
        simport::failReads(ERROR_GEN_FAILURE, 0, INT_MAX);
    }
    return ScriptedPeer::nextArrival(until);
}

ScriptedLine::~ScriptedLine() {
    closeSimPort();
    simport::reset();  // forgets the peer before it goes
}

std::string ScriptedLine::script(const std::uint8_t* data, std::size_t size) {
    std::string all;
    sim::Nanos at = simport::now();
    std::size_t i = 0;
    while (i + 2 <= size) {
        at += pauseOf(data[i]);
        std::size_t count = data[i + 1];
        i += 2;
        if (count > size - i) count = size - i;
        std::string chunk(reinterpret_cast<const char*>(data + i), count);
        peer_.sendAt(at, chunk);
        all += chunk;
        i += count;
    }
    if (pulledAfterScript_) peer_.pullAt = at + kQuietBeforePull;
    return all;
}

}  // namespace fuzz
