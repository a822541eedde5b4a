// The simulated clock: it stands still until the tool waits.
#include "platform/sim/sim_state.h"

using simport::detail::kNanosPerMs;
using simport::detail::state;

DWORD GetTickCount() { return static_cast<DWORD>(state().startTick + state().now / kNanosPerMs); }

void _sleep(unsigned long milliseconds) {
    simport::detail::advanceClock(state().now + static_cast<sim::Nanos>(milliseconds) * kNanosPerMs);
}
