// Interrupts on the simulated platform: delivered when the simulated clock
// reaches the time the test chose, or by the key Ctrl-C. The run ends as on
// posix after a SIGINT: the interrupt line, then exit status 130 (without
// the line, as a default SIGINT death, when the tool never watched).
#include <algorithm>
#include <unistd.h>

#include "platform/host/interrupt_line.h"
#include "platform/sim/sim_port.h"
#include "platform/sim/sim_state.h"

namespace {
constexpr int kInterruptedStatus = 130;
}

void watchInterrupts() { simport::detail::state().watchingInterrupts = true; }

void atInterruptEnd(void (*record)(int status)) { simport::detail::state().recordEnd = record; }

namespace simport {

void interruptAt(sim::Nanos at) { detail::state().interruptAt = at; }

void onInterrupt(void (*handler)()) { detail::state().interruptHandler = handler; }

namespace detail {

void interruptNow() {
    if (state().watchingInterrupts) {
        host::printInterruptLine();
        if (state().recordEnd != nullptr) state().recordEnd(kInterruptedStatus);
    }
    if (state().interruptHandler != nullptr) state().interruptHandler();
    ::_exit(kInterruptedStatus);
}

void stopIfInterrupted() {
    if (state().interruptAt && state().now >= *state().interruptAt) interruptNow();
}

void advanceClock(sim::Nanos time) {
    if (state().interruptAt && time >= *state().interruptAt) {
        state().now = std::max(state().now, *state().interruptAt);
        interruptNow();
    }
    state().now = std::max(state().now, time);
}

}  // namespace detail
}  // namespace simport
