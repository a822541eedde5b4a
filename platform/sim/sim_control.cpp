// The tests' controls of the simulated platform.
#include <cctype>

#include "platform/sim/sim_port.h"
#include "platform/sim/sim_state.h"

namespace simport {

using detail::state;

void attach(sim::SerialPeer* peer) { state().peer = peer; }

void startClock(DWORD startTick) {
    // Time itself goes on, so that a card kept from an earlier run never
    // sees it go back; only the tick count is set.
    state().startTick = static_cast<DWORD>(startTick - state().now / detail::kNanosPerMs);
}

sim::Nanos now() { return state().now; }

void pressKeys(const std::string& keys) {
    state().keys = keys;
    state().nextKey = 0;
}

int keyReads() { return state().keyReads; }

void addPort(const std::string& name) {
    std::string upper;
    for (char c : name) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    state().ports.insert(upper);
}

void failOpens(DWORD error, int times) {
    state().openError = error;
    state().openFailures = times;
}

void failReads(DWORD error, int after, int times) {
    state().readError = error;
    state().readsBeforeFailure = after;
    state().readFailures = times;
}

void stallWrites(int times) { state().stalledWrites = times; }

const std::string& written() { return state().written; }

int opens() { return state().opens; }

void reset() { detail::resetState(); }

}  // namespace simport
