// cardsim: a simulated video converter card on a pseudo-terminal.

#include <cstdio>
#include <filesystem>
#include <string>

#include "sim/card.h"
#include "sim/cardsim/byte_trace.h"
#include "sim/cardsim/cardsim_options.h"
#include "sim/cardsim/link_claim.h"
#include "sim/cardsim/precise_wait.h"
#include "sim/cardsim/pseudo_terminal.h"
#include "sim/cardsim/serve_loop.h"
#include "sim/cardsim/stop_signal.h"
#include "sim/samples/sample_files.h"

#if !defined(UPDATER_VERSION_MAJOR) || !defined(UPDATER_VERSION_MINOR) || !defined(UPDATER_VERSION_PATCH)
#error "UPDATER_VERSION_MAJOR, _MINOR and _PATCH are set by the build (cmake/packaging.cmake)"
#endif

namespace {

int failure(const std::string& text) {
    std::fprintf(stderr, "cardsim: %s\n", text.c_str());
    return 1;
}

// Writes the sample update files into `dir`, created if need be, and names them.
int makeSamples(const std::string& dir, std::size_t xsvfSize) {
    std::error_code code;
    std::filesystem::create_directories(dir, code);
    if (code) return failure(dir + ": " + code.message());
    std::string error = sim::writeSampleFiles(dir, xsvfSize);
    if (!error.empty()) return failure(error);
    for (const std::string& name : sim::sampleFileNames()) std::printf("%s/%s\n", dir.c_str(), name.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    cardsim::Options options;
    std::string error;
    if (!cardsim::parseOptions(argc - 1, argv + 1, options, error)) {
        std::fprintf(stderr, "cardsim: %s\n%s", error.c_str(), cardsim::usageText());
        return 2;
    }
    if (options.help) {
        std::fputs(cardsim::usageText(), stdout);
        return 0;
    }
    if (options.version) {
        // The version of the package cardsim comes with: the tool's.
        std::printf("cardsim %d.%d.%d\n", UPDATER_VERSION_MAJOR, UPDATER_VERSION_MINOR, UPDATER_VERSION_PATCH);
        return 0;
    }
    if (!options.makeSamples.empty()) return makeSamples(options.makeSamples, options.xsvfSize);
    if (!options.card.stateDir.empty()) {
        std::error_code code;
        std::filesystem::create_directories(options.card.stateDir, code);
        if (code) return failure(options.card.stateDir + ": " + code.message());
    }

    cardsim::StopSignal stop;
    if (!stop.install(error)) return failure(error);
    cardsim::PseudoTerminal terminal;
    if (!terminal.open(error)) return failure(error);
    cardsim::LinkClaim link;
    std::string note;
    if (!options.link.empty() && !link.take(options.link, terminal.slavePath(), error, note)) {
        return failure(error);
    }
    if (!note.empty()) std::fprintf(stderr, "cardsim: %s\n", note.c_str());
    std::printf("%s\n", terminal.slavePath().c_str());
    std::fflush(stdout);

    if (options.card.paced) cardsim::sharpenTiming();
    sim::Card line(options.card);
    sim::Nanos start = cardsim::monotonicNow();
    cardsim::ByteTrace trace(options.trace, start);
    // The adapter's timer starts with the trace's clock, so that its ticks
    // fall on whole milliseconds there. An unpaced card's bytes all arrive
    // at once and go to the terminal as they come.
    options.delivery.timerStart = start;
    if (!options.card.paced) options.delivery.kind = sim::HostDelivery::Kind::kEachByte;
    bool served = cardsim::serve(line, terminal, link, options.delivery, trace, stop.fd(), error);

    line.saveState();
    return served ? 0 : failure(error);
}
