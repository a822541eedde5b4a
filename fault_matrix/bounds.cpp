// The tool's own limits, as the commands use them, added up over a
// command's steps: each exchange, echo, acknowledgement and request is
// taken to use its whole wait and every retry the tool allows. These are
// worst cases of the tool's design, far longer than any run the matrix
// sees; a run beyond them has left the design.
#include "fault_matrix/bounds.h"

#include <algorithm>

#include "fault_matrix/scenario.h"

namespace matrix {

namespace {

using Ms = std::uint64_t;

// ISP packet link: up to eleven reply waits of 3 s (each may end a byte late).
constexpr Ms kIspExchange = 11 * 3000 + 1000;
// Micro command link: a drain of up to 5 s, six answer waits of 10 s.
constexpr Ms kMicroCommand = 5000 + 6 * 10000 + 1000;
// Every download and verify starts with a drain of up to 5 s.
constexpr Ms kDrain = 5000;
// A block of an image or a verify is tried seven times, each try with the
// block, a status request and a Set ISP mode.
constexpr Ms kBlockWorst = 7 * 3 * kIspExchange;
constexpr Ms kDriverBlocks = (0x2000 - 0x800) / 16;

Ms blocks(std::size_t bytes, std::size_t block) { return (bytes + block - 1) / block; }

std::size_t fileSize(const Scenario& s, const std::string& name) {
    for (const auto& [file, bytes] : s.files) {
        if (file == name) return bytes.size();
    }
    return 0;
}

Ms driverDownload() {
    return kDrain + 2 * kMicroCommand + 5000 + kDriverBlocks * kIspExchange + 1000 + kIspExchange;
}

Ms imageDownload(int device, std::size_t size) {
    Ms writing = device == 1 ? 15000 + kIspExchange + blocks(size, 32) * kBlockWorst
                             : 20000 + 3 * kIspExchange + 500 + (blocks(size - 256, 32) + 8) * kBlockWorst;
    return kDrain + writing + 2 * kMicroCommand;
}

Ms deviceUpdate(const Scenario& s, int device) {
    std::string image = "Device" + std::to_string(device) + ".bin";
    return driverDownload() + 1000 + imageDownload(device, fileSize(s, image)) + kMicroCommand;
}

Ms verify(const Scenario& s) {
    return kDrain + 2 * kIspExchange + blocks(fileSize(s, s.args[2]), 32) * kBlockWorst;
}

// Each pass asks four questions; the keys give the passes.
Ms status(const Scenario& s) { return (s.keys.size() + 1) * 4 * kIspExchange; }

// The boot program's protocol: the communication check (six tries of up
// to 12 s), the micro kernel byte by byte with an echo each (5 s), the
// parameters, the other two kernels and every programming frame (7 s each).
Ms bootProgramming(const Scenario& s) {
    Ms check = 6 * (10000 + 2000);
    Ms microKernel = (2 + fileSize(s, "uGen7144.cde")) * 5000 + 5000 + 10;
    Ms parameters = 5000 + 1000 + 5000 + 7000 + 1000 + 4 * 1000 + 7000 + 1000 + 7000 + 50 + 7000 + 1000 + 7000;
    Ms kernels = 40 + 100 + 2000 + 3000 + 1000 + 10000 + 1000 + 7000 + 40 + 10 + 7000;
    std::size_t mainArea = s.expected.of[kMicro].size() - 0x800;
    Ms image = 8 * (25 + 7000) + 5000 + 1000 + 10000 + 5000 + blocks(mainArea, 128) * 7000;
    return check + microKernel + parameters + kernels + image;
}

Ms micro(const Scenario& s) {
    // The boot-mode path runs the programmer twice when the first finds no
    // boot program (the old firmware's menu keys in between).
    return 200 + 100 + 10000 + 4 * 500 + bootProgramming(s);
}

// FPGA: every request may come just before the 60 s the tool waits for it,
// and take a second for each byte after its marker and 5 s to fall quiet;
// a file of N bytes is asked for in at most N requests.
Ms fpga(std::size_t size) { return 1000 + 500 + size * (60000 + 3 * 1000 + 5000 + 1000); }

// EDID: a drain and every byte's acknowledgement, the verdict's two bytes: 5 s each.
Ms edid(std::size_t size) { return 500 + (1 + size + 3) * 5000; }

// GAMMA: a drain, every value's acknowledgement within a minute, the verdict.
Ms gamma() { return 5000 + 100 + 3072 * 60000 + 2 * 5000; }

// REMOTE: each command waits a second for the card's first byte and 4 s
// for its answer; the sleeps of the script.
Ms remote(const Scenario& s) {
    return s.remoteCommands.size() * (1000 + 4000 + 30) + 300 * s.remoteCommands.size();
}

Ms all(const Scenario& s) {
    Ms total = 0;
    if (holds(s.writes, kEdid)) total += edid(fileSize(s, "EDID.bin"));
    if (holds(s.writes, kDevice5)) total += deviceUpdate(s, 5);
    if (holds(s.writes, kDevice1)) total += deviceUpdate(s, 1);
    if (holds(s.writes, kFpga)) total += fpga(fileSize(s, "fpga.xsvf"));
    return total;
}

Ms commandWorst(const Scenario& s) {
    const std::string& word = s.args[1];
    if (word == "VIPER") return deviceUpdate(s, s.args[2][6] - '0');
    if (word == "VERIFY") return verify(s);
    if (word == "STATUS") return status(s);
    if (word == "MICRO") return micro(s);
    if (word == "FPGA") return fpga(fileSize(s, "fpga.xsvf"));
    if (word == "EDID") return edid(fileSize(s, "EDID.bin"));
    if (word == "GAMMA") return gamma();
    if (word == "ALL") return all(s);
    return remote(s);
}

}  // namespace

std::uint64_t longestLegitimateRunMs(const Scenario& s) {
    Ms worst = commandWorst(s);
    return worst + worst / 4 + 60000;
}

std::uint64_t waitingBoundMs() {
    // Identification of a card that answers takes one attempt of at most
    // 15 version requests and a model request, each with a 1 s drain and
    // four 2 s waits, then the menu keys: 146 s. Three attempts and a margin.
    return 10 * 60 * 1000;
}

}  // namespace matrix
