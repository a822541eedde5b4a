// MICRO on the simulated clock against the paced card model, in process:
// the time a programming run takes when nothing but the tool and the
// protocol set the pace (no pseudo-terminal, no serve loop). Run in a
// directory with appMain.mot and the three kernels; prints the simulated
// seconds and the exit status on standard error.
#include <cstdio>

#include "driver/updater.h"
#include "platform/sim/sim_port.h"
#include "sim/card.h"

int main() {
    sim::CardOptions options;
    options.bootMode = true;
    sim::Card card(options);
    simport::attach(&card);
    simport::startClock(0x1000);
    if (std::freopen("/dev/null", "w", stdout) == nullptr) return 2;
    char program[] = "updater", port[] = "COM1", command[] = "MICRO";
    char* argv[] = {program, port, command, nullptr};
    int status = runUpdater(3, argv);
    std::fprintf(stderr, "%.3f %d\n", static_cast<double>(simport::now()) / 1e9, status);
    return status;
}
