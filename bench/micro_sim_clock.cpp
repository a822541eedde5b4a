// MICRO on the simulated clock against the paced card model, in process:
// the time a programming run takes when nothing but the tool and the
// protocol set the pace (no pseudo-terminal, no serve loop). Run in a
// directory with appMain.mot and the three kernels; prints the simulated
// seconds and the exit status on standard error.
#include <cstdio>

#include "platform/sim/sim_port.h"
#include "sim/card.h"
#include "tests/support/tool_run.h"

int main() {
    sim::CardOptions options;
    options.bootMode = true;
    sim::Card card(options);
    if (std::freopen("/dev/null", "w", stdout) == nullptr) return 2;
    int status = runUpdaterOn({"COM1", "MICRO"}, card);
    std::fprintf(stderr, "%.3f %d\n", static_cast<double>(simport::now()) / 1e9, status);
    return status;
}
