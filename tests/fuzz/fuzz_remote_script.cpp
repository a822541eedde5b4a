// Remote scripts, as an operator may write them, run against a card whose
// bytes come from the input. Input: [start tick code][script length][script]
// then chunks of bytes from the card. Scripts of more than four commands are
// not run: each command against a quiet card costs five seconds of 1 ms
// polls, and more of them add nothing but time.
// Whatever the script and the card: each '#' line goes out as a carriage
// return, its text up to its line end (within the 253 characters one read
// takes) and a carriage return; nothing else is written; the run ends.
#include <cstdio>
#include <cstring>
#include <vector>

#include "card/commands.h"
#include "platform/sim/sim_port.h"
#include "tests/fuzz/scripted_line.h"

namespace {

constexpr std::size_t kLineRead = 253;
constexpr std::size_t kMostCommands = 4;

// What the tool must write for each command of `script`: the script read
// as lines of at most 253 characters, each '#' line's text up to a line end
// or a NUL, between carriage returns.
std::vector<std::string> expectedWrites(const std::string& script) {
    std::vector<std::string> writes;
    std::size_t at = 0;
    while (at < script.size()) {
        std::size_t end = at;
        while (end < script.size() && end - at < kLineRead && script[end] != '\n') ++end;
        if (end < script.size() && script[end] == '\n' && end - at < kLineRead) ++end;
        std::string line = script.substr(at, end - at);
        if (line[0] == '#') writes.push_back("\r" + line.substr(0, std::strcspn(line.c_str(), "\r\n")) + "\r");
        at = end;
    }
    return writes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    std::size_t length = data[1] < size - 2 ? data[1] : size - 2;
    std::string script(reinterpret_cast<const char*>(data + 2), length);
    std::vector<std::string> commands = expectedWrites(script);
    if (commands.size() > kMostCommands) return 0;
    const char* path = "/tmp/fuzz_remote_script.txt";
    std::FILE* file = std::fopen(path, "wb");
    fuzz::require(file != nullptr, "the script can be written");
    std::fwrite(script.data(), 1, script.size(), file);
    std::fclose(file);

    fuzz::ScriptedLine line(data[0]);
    line.script(data + 2 + length, size - 2 - length);
    Remote(path);
    std::string writes;
    for (const std::string& command : commands) writes += command;
    fuzz::require(simport::written() == writes, "each command line goes out as it stands");
    return 0;
}
