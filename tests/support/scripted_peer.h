// A far end that answers from a script, for tests that need exact bytes at
// exact times (noise, split frames, late answers) rather than a whole card.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "sim/line/serial_peer.h"

class ScriptedPeer : public sim::SerialPeer {
public:
    static constexpr sim::Nanos kMs = 1000000;

    // `bytes` reach the host at `at`, `spacing` apart.
    void sendAt(sim::Nanos at, const std::string& bytes, sim::Nanos spacing = 0);

    // Once the host has written `trigger` (since the previous rule fired), `reply`
    // reaches it `delay` later. Rules fire in order, each once.
    void onWrite(const std::string& trigger, const std::string& reply, sim::Nanos delay = 0);

    const std::string& received() const { return received_; }

    void setHostBaud(std::uint32_t) override {}  // the script answers at any bit rate
    void hostWrite(const std::uint8_t* data, std::size_t count, sim::Nanos now) override;
    std::optional<sim::Nanos> nextArrival(sim::Nanos until) override;
    std::size_t hostRead(std::uint8_t* out, std::size_t max, sim::Nanos now) override;

private:
    struct Rule {
        std::string trigger;
        std::string reply;
        sim::Nanos delay;
    };
    std::deque<Rule> rules_;
    std::string received_;
    std::size_t searchFrom_ = 0;
    std::vector<std::pair<sim::Nanos, std::uint8_t>> pending_;  // kept sorted by time
};

// A running firmware's answer to a probe byte, and its identification replies.
inline const std::string kProbeAnswer = "\r\nCMD ERROR\r\n";

inline void answerProbes(ScriptedPeer& peer, const std::string& probeAnswer = kProbeAnswer) {
    peer.onWrite(std::string(1, '\0'), probeAnswer);
    peer.onWrite(std::string(1, '\0'), probeAnswer);
}

inline void answerIdentification(ScriptedPeer& peer, const std::string& versionReply,
                                 const std::string& modelReply) {
    peer.onWrite("#DEVERSION\r", versionReply, ScriptedPeer::kMs);
    peer.onWrite("#DEVTYPE\r", modelReply, ScriptedPeer::kMs);
}

// A whole opening: probes, then "#DEVERSION 1 V1.23\r" and the model word's reply.
inline void answerOpening(ScriptedPeer& peer, const std::string& modelWord = "SDITOHDMI") {
    answerProbes(peer);
    answerIdentification(peer, "#DEVERSION 1 V1.23\r", "#DEVTYPE " + modelWord + "\r");
}
