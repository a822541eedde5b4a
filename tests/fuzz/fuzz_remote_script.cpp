// Remote scripts, as an operator may write them, run against a card whose
// bytes come from the input. Input: [start tick code][script length][script]
// then chunks of bytes from the card.
//
// Whatever the script and the card: each '#' line goes out as a carriage
// return, its text up to its line end (within the 253 characters one read
// takes) and a carriage return; nothing else is written; the run ends.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "card/handlers.h"
#include "platform/sim/sim_port.h"
#include "tests/fuzz/scripted_line.h"

namespace {

constexpr std::size_t kLineRead = 253;

// What the tool must write for `script`: the script read as lines of at
// most 253 characters, each '#' line's text up to a line end or a NUL.
std::string expectedWrites(const std::string& script) {
    std::string writes;
    std::size_t at = 0;
    while (at < script.size()) {
        std::size_t end = at;
        while (end < script.size() && end - at < kLineRead && script[end] != '\n') ++end;
        if (end < script.size() && script[end] == '\n' && end - at < kLineRead) ++end;
        std::string line = script.substr(at, end - at);
        if (line[0] == '#') writes += "\r" + line.substr(0, std::strcspn(line.c_str(), "\r\n")) + "\r";
        at = end;
    }
    return writes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    std::size_t length = data[1] < size - 2 ? data[1] : size - 2;
    std::string script(reinterpret_cast<const char*>(data + 2), length);
    const char* path = "/tmp/fuzz_remote_script.txt";
    std::FILE* file = std::fopen(path, "wb");
    fuzz::require(file != nullptr, "the script can be written");
    std::fwrite(script.data(), 1, script.size(), file);
    std::fclose(file);

    fuzz::ScriptedLine line(data[0]);
    line.script(data + 2 + length, size - 2 - length);
    Remote(path);
    fuzz::require(simport::written() == expectedWrites(script), "each command line goes out as it stands");
    return 0;
}
