// Whole runs of the tool against the card model (or a scripted peer) on the simulated
// platform and what each leaves, and the helpers the run tables share.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/sim/sim_port.h"
#include "sim/card.h"
#include "sim/vxp/isp_packet.h"
#include "sim/samples/sample_files.h"
#include "tests/support/tool_run.h"
#include "tests/support/work_dir.h"

struct CardRun {
    std::string output;   // all the tool printed
    std::string console;  // what it printed after the banner
    std::string sent;
    int status = -1;
    double seconds = 0;
};

// What every run sends first: the probes and the identification.
inline const std::string kOpening("\0\0#DEVERSION\r#DEVTYPE\r", 22);
inline const std::string kAsking = "\nNow communicating with the card to obtain version information...";
inline const std::string kExit = "\nExit updater\n";
inline const std::string kKeyPrompt = "Press a key to continue ... ";

// The line a failed run ends with, before kExit, while the card is at risk.
inline std::string advice(const std::string& risk, const std::string& rerun) {
    return "\n" + risk + ": run " + rerun + " again.\n";
}

// The card's timing violations, one a line: the pauses the tool did not give it.
inline std::string violationsOf(const sim::Card& card) {
    std::string lines;
    for (const sim::TimingViolation& lost : card.timingViolations()) {
        lines += "at " + std::to_string(lost.at / 1000) + " us a byte came while " + lost.what + "\n";
    }
    return lines;
}

// `prepare` runs on the freshly reset platform, before the tool. A run without a
// banner keeps its whole console. The card model is left without a timing violation.
template <class Peer>
CardRun runOnCard(Peer& card, const std::vector<std::string>& args, const std::string& keys = "",
                  const std::function<void()>& prepare = {}, DWORD startTick = 0x1000) {
    simport::reset();
    if (prepare) prepare();
    ToolRun run = runTool(args, card, keys, startTick);
    if constexpr (std::is_same_v<Peer, sim::Card>) card.takeEverythingSent();
    CardRun result;
    result.output = run.output;
    std::size_t banner = run.output.rfind("* * *\n");
    result.console = banner == std::string::npos ? run.output : run.output.substr(banner + 6);
    const std::string& received = card.received();
    bool opened = received.compare(0, kOpening.size(), kOpening) == 0;
    result.sent = opened ? received.substr(kOpening.size()) : received;
    result.status = run.status;
    result.seconds = static_cast<double>(simport::now()) / 1e9;
    if constexpr (std::is_same_v<Peer, sim::Card>) {
        EXPECT_EQ(violationsOf(card), "") << run.output;
    }
    return result;
}

template <class Change>
sim::CardOptions cardOptions(const std::string& model, Change change) {
    sim::CardOptions options;
    options.model = model;
    change(options);
    return options;
}

// A card keeping its memories in card-state/, its device `device` holding `content`.
inline sim::CardOptions keptCard(int device, const std::string& content,
                                 const std::function<void(sim::CardOptions&)>& change = {}) {
    std::filesystem::create_directory("card-state");
    sim::writeFile(sim::stateFile::in("card-state", sim::stateFile::device(device)), content);
    sim::CardOptions options;
    options.stateDir = "card-state";
    if (change) change(options);
    return options;
}

inline std::string sample(const std::string& name, std::size_t xsvfSize = sim::kDefaultXsvfSize) {
    std::vector<std::uint8_t> bytes = sim::sampleFile(name, xsvfSize);
    return {bytes.begin(), bytes.end()};
}

// An ISP packet as the card model's own coding puts it on the wire.
inline std::string packet(std::uint16_t code, const sim::isp::Words& args) {
    return sim::isp::wireForm(sim::isp::makePacket(code, args));
}

inline std::string text(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

inline bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

inline std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

inline void expectInOrder(const std::string& output, const std::vector<std::string>& texts) {
    std::size_t at = 0;
    for (const std::string& part : texts) {
        std::size_t found = output.find(part, at);
        ASSERT_NE(found, std::string::npos) << "missing, or out of order: " << part << "\n--- in ---\n" << output;
        at = found + part.size();
    }
}

// `size` bytes of a fixed pseudo-random sequence, different for each `seed`.
inline std::string imageBytes(std::size_t size, std::uint32_t seed = 1) {
    std::string bytes(size, '\0');
    std::uint32_t x = seed * 2654435761u + 12345u;
    for (char& b : bytes) b = static_cast<char>((x = x * 1103515245u + 12345u) >> 16);
    return bytes;
}
