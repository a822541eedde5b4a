// cardsim: a simulated video converter card on a pseudo-terminal.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "sim/card.h"
#include "sim/cardsim/byte_trace.h"
#include "sim/cardsim/cardsim_options.h"
#include "sim/cardsim/precise_wait.h"
#include "sim/cardsim/pseudo_terminal.h"
#include "sim/cardsim/serve_loop.h"
#include "sim/cardsim/stop_signal.h"
#include "sim/samples/sample_files.h"

namespace {

int failure(const std::string& text) {
    std::fprintf(stderr, "cardsim: %s\n", text.c_str());
    return 1;
}

// Makes `link` a symbolic link to `target`; an old symbolic link of that
// name is replaced, any other file is left alone.
bool makeLink(const std::string& link, const std::string& target, std::string& error) {
    struct stat status {};
    if (::lstat(link.c_str(), &status) == 0) {
        if (!S_ISLNK(status.st_mode)) {
            error = link + ": exists and is not a symbolic link";
            return false;
        }
        ::unlink(link.c_str());
    }
    if (::symlink(target.c_str(), link.c_str()) != 0) {
        error = link + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

// Removes `link` if it still points to `target`.
void removeLink(const std::string& link, const std::string& target) {
    char buffer[4096];
    ssize_t length = ::readlink(link.c_str(), buffer, sizeof buffer);
    if (length > 0 && std::string(buffer, static_cast<std::size_t>(length)) == target) {
        ::unlink(link.c_str());
    }
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
    if (!options.makeSamples.empty()) {
        error = sim::writeSampleFiles(options.makeSamples);
        return error.empty() ? 0 : failure(error);
    }
    if (!options.card.stateDir.empty()) {
        std::error_code code;
        std::filesystem::create_directories(options.card.stateDir, code);
        if (code) return failure(options.card.stateDir + ": " + code.message());
    }

    cardsim::StopSignal stop;
    if (!stop.install(error)) return failure(error);
    cardsim::PseudoTerminal terminal;
    if (!terminal.open(error)) return failure(error);
    if (!options.link.empty() && !makeLink(options.link, terminal.slavePath(), error)) {
        return failure(error);
    }
    std::printf("%s\n", terminal.slavePath().c_str());
    std::fflush(stdout);

    if (options.card.paced) cardsim::sharpenTiming();
    sim::Card line(options.card);
    cardsim::ByteTrace trace(options.trace, cardsim::monotonicNow());
    cardsim::serve(line, terminal, trace, stop.fd());

    line.saveState();
    if (!options.link.empty()) removeLink(options.link, terminal.slavePath());
    return 0;
}
