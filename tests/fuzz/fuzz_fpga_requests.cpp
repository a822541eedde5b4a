// Bytes from the card during an FPGA transfer, as a card or a noisy line
// may send them, read by the FPGA command serving a 300-byte file.
// Input: [start tick code][chunks of bytes].
// Whatever arrives: the tool sends the command once and then nothing but
// the file, in order, never past its end; it reports success only when
// the card sent "~S"; the run ends (a silent card within a minute).
#include <cstdio>

#include "card/commands.h"
#include "platform/sim/sim_port.h"
#include "port/console.h"
#include "tests/fuzz/scripted_line.h"

namespace {

const std::string kCommand = "#FPGA 1\r";

const std::string& servedFile() {
    static const std::string path = [] {
        std::string name = "/tmp/fuzz_fpga_requests.xsvf";
        std::FILE* file = std::fopen(name.c_str(), "wb");
        fuzz::require(file != nullptr, "the served file can be written");
        for (int i = 0; i < 300; ++i) std::fputc(i * 7 + 3, file);
        std::fclose(file);
        return name;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::string& path = servedFile();
    fuzz::ScriptedLine line(data[0]);
    std::string arriving = line.script(data + 1, size - 1);
    exitStatus = kExitDone;
    ProgramFPGA(path.c_str());

    const std::string& written = simport::written();
    fuzz::require(written.compare(0, kCommand.size(), kCommand) == 0, "the command goes first");
    std::string served = written.substr(kCommand.size());
    std::string file;
    for (int i = 0; i < 300; ++i) file.push_back(static_cast<char>(i * 7 + 3));
    fuzz::require(served.size() <= file.size() && file.compare(0, served.size(), served) == 0,
                  "only the file goes out, in order");
    fuzz::require(exitStatus != kExitDone || arriving.find("~S") != std::string::npos, "success only after ~S");
    return 0;
}
