// For the flash commands' tests: update files, a far end that answers as a
// willing card would (each answer overridable), keeps a flash device to read
// back and records what it received, and the fixture that connects it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "port/exit_status.h"
#include "platform/sim/sim_port.h"
#include "tests/scenario/link_wire_forms.h"
#include "tests/support/console_capture.h"
#include "tests/support/open_sim_port.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/work_dir.h"

// `size` bytes of a fixed pseudo-random sequence, different for each `seed`.
inline std::string imageBytes(std::size_t size, std::uint32_t seed = 1) {
    std::string bytes(size, '\0');
    std::uint32_t x = seed * 2654435761u + 12345u;
    for (char& b : bytes) b = static_cast<char>((x = x * 1103515245u + 12345u) >> 16);
    return bytes;
}

class IspResponder : public ScriptedPeer {
public:
    // The answer to one packet (its wire bytes, or "" for none) and to one micro command letter.
    std::function<std::string(const wire::Words&)> answer = [this](const wire::Words& w) { return willingAnswer(w); };
    std::function<std::string(char)> answerMicro = [](char) { return std::string("=M*"); };

    std::vector<std::uint8_t> flash;   // what read requests return (0xFF past its end)
    std::vector<wire::Words> packets;  // every packet received, in order
    std::vector<std::string> log;      // "=MP" for a micro command, "F501" for a packet header

    // An acknowledgement (reply code = command code + 0x101, then the command
    // code); to a status request the selected device, to a read request 16 words of `flash`.
    std::string willingAnswer(const wire::Words& words) {
        std::uint16_t code = words[0] & 0x0FFF;
        if (code == 0x502) {
            selected_ = words[2];
            readAt_ = words[3] | static_cast<std::uint32_t>(words[4]) << 16;
        }
        if (code == 0x632) return wire::packet({0x0733, selected_});
        if (code != 0x639) return wire::packet({static_cast<std::uint16_t>(code + 0x101), code});
        wire::Words reply{0xF73A};
        for (int k = 0; k < 16; ++k, readAt_ += 2) {
            auto byte = [this](std::size_t at) { return at < flash.size() ? flash[at] : 0xFFu; };
            reply.push_back(static_cast<std::uint16_t>(byte(readAt_) | byte(readAt_ + 1) << 8));
        }
        return wire::packet(reply);
    }

    // The packets with `header` numbered `first` to `last` (from 1) are answered with `reply`.
    void answerWith(std::uint16_t header, const std::string& reply, int first = 1, int last = 1 << 30) {
        answer = [this, header, reply, first, last, seen = 0](const wire::Words& w) mutable {
            return w[0] == header && ++seen >= first && seen <= last ? reply : willingAnswer(w);
        };
    }

    std::vector<wire::Words> packetsWith(std::uint16_t header) const {
        std::vector<wire::Words> found;
        for (const auto& words : packets) {
            if (words[0] == header) found.push_back(words);
        }
        return found;
    }

    // The tool writes each packet and each micro command whole, in one write.
    void hostWrite(const std::uint8_t* data, std::size_t count, sim::Nanos now) override {
        const std::string frame(reinterpret_cast<const char*>(data), count);
        std::string reply;
        if (count >= 7 && frame.rfind("=G", 0) == 0) {
            packets.push_back(wire::decodeBody(frame.substr(2, count - 3)));
            char header[8];
            std::snprintf(header, sizeof header, "%04X", packets.back()[0]);
            log.push_back(header);
            reply = answer(packets.back());
        } else if (count == 4 && frame.rfind("=M", 0) == 0) {
            log.push_back(frame.substr(0, 3));
            reply = answerMicro(frame[2]);
        } else {
            log.push_back(frame);  // anything else shows in the log as written
        }
        if (!reply.empty()) sendAt(now + kMs, reply);
    }

private:
    std::uint16_t selected_ = 0;
    std::uint32_t readAt_ = 0;
};

// A command run in a fresh work directory against an IspResponder on the
// simulated port; the console is shown when the test fails.
class ScriptedCardTest : public ::testing::Test {
protected:
    static constexpr sim::Nanos kMs = ScriptedPeer::kMs;
    inline static const std::string kPrompt = "Press a key to continue ... ";

    void SetUp() override { reopen(); }
    void TearDown() override {
        closeSimPort();
        if (HasFailure()) std::fprintf(stderr, "console:\n%s\n", console_.text().c_str());
    }

    // The port opened again, the clock restarted, the card's records cleared.
    void reopen() {
        closeSimPort();
        card_.packets.clear();
        card_.log.clear();
        exitStatus = kExitDone;
        ASSERT_TRUE(openSimPort(card_));
    }

    WorkDir dir_;
    IspResponder card_;
    ConsoleCapture console_;
};
