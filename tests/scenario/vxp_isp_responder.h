// A far end for the flash commands' tests: it answers the microcontroller's
// commands and the ISP driver's packets as a willing card would (each one
// overridable by the test), keeps a flash device to read back, and records
// everything it received in order.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "tests/scenario/link_wire_forms.h"
#include "tests/support/scripted_peer.h"

class IspResponder : public sim::SerialPeer {
public:
    static constexpr sim::Nanos kReplyDelay = ScriptedPeer::kMs;

    // The answer to one packet: its wire bytes, or "" for none.
    std::function<std::string(const wire::Words&)> answer = [this](const wire::Words& words) {
        return willingAnswer(words);
    };
    // The answer to one micro command letter.
    std::function<std::string(char)> answerMicro = [](char) { return std::string("=M*"); };

    // Device content that read requests return (0xFFFF past its end).
    std::vector<std::uint8_t> flash;

    std::vector<wire::Words> packets;  // every packet received, in order
    std::vector<std::string> log;      // "=MP" for a micro command, "F501" for a packet header

    // What a willing driver answers: an acknowledgement, the selected device
    // to a status request, 16 words of `flash` to a read request.
    std::string willingAnswer(const wire::Words& words) {
        std::uint16_t code = words[0] & 0x0FFF;
        if (code == 0x502) {
            selected_ = words[2];
            readAt_ = words[3] | static_cast<std::uint32_t>(words[4]) << 16;
        }
        if (code == 0x632) return wire::packet({0x0733, selected_});
        if (code == 0x639) return readReply();
        return wire::ack(words[0]);
    }

    void setHostBaud(std::uint32_t baud) override { line_.setHostBaud(baud); }
    std::optional<sim::Nanos> nextArrival(sim::Nanos until) override { return line_.nextArrival(until); }
    std::size_t hostRead(std::uint8_t* out, std::size_t max, sim::Nanos now) override {
        return line_.hostRead(out, max, now);
    }

    void hostWrite(const std::uint8_t* data, std::size_t count, sim::Nanos now) override {
        heard_.append(reinterpret_cast<const char*>(data), count);
        for (;;) {
            std::size_t start = heard_.find('=');
            if (start == std::string::npos || start + 1 >= heard_.size()) return;
            heard_.erase(0, start);
            std::string reply;
            if (heard_[1] == 'G') {
                std::size_t end = heard_.find('\r');
                if (end == std::string::npos) return;
                wire::Words words = wire::decodeBody(heard_.substr(2, end - 2));
                heard_.erase(0, end + 1);
                packets.push_back(words);
                char header[8];
                std::snprintf(header, sizeof header, "%04X", words.empty() ? 0u : words[0]);
                log.push_back(header);
                if (!words.empty()) reply = answer(words);
            } else if (heard_[1] == 'M') {
                if (heard_.size() < 4) return;
                log.push_back(heard_.substr(0, 3));
                reply = answerMicro(heard_[2]);
                heard_.erase(0, 4);
            } else {
                heard_.erase(0, 1);
                continue;
            }
            if (!reply.empty()) line_.sendAt(now + kReplyDelay, reply);
        }
    }

    // The data words of every image block (F501) received, in order.
    std::vector<wire::Words> imageBlocks() const {
        std::vector<wire::Words> blocks;
        for (const auto& words : packets) {
            if (words.size() == 18 && words[0] == 0xF501) blocks.emplace_back(words.begin() + 1, words.end() - 1);
        }
        return blocks;
    }

private:
    std::string readReply() {
        wire::Words words{0xF73A};
        for (int k = 0; k < 16; ++k, readAt_ += 2) {
            std::uint16_t low = readAt_ < flash.size() ? flash[readAt_] : 0xFF;
            std::uint16_t high = readAt_ + 1 < flash.size() ? flash[readAt_ + 1] : 0xFF;
            words.push_back(static_cast<std::uint16_t>(low | high << 8));
        }
        return wire::packet(words);
    }

    ScriptedPeer line_;
    std::string heard_;
    std::uint16_t selected_ = 0;
    std::uint32_t readAt_ = 0;
};
