// Drives a simulated card directly with time-stamped bytes and ISP packets,
// as a host on the other end of the line would, for the card model's tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sim/card.h"
#include "sim/vxp/isp_packet.h"

namespace simtest {

using sim::isp::Words;
constexpr sim::Nanos kUs = 1000;
constexpr sim::Nanos kMs = 1000 * kUs;
constexpr sim::Nanos kSec = 1000 * kMs;

class TestHost {
public:
    explicit TestHost(sim::Card& line, sim::Nanos start = 0) : line_(line), now_(start) {}

    sim::Nanos now() const { return now_; }
    void wait(sim::Nanos duration) { now_ += duration; }
    void send(const std::string& bytes) {
        line_.hostWrite(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), now_);
    }

    // Everything that reaches the host within `duration`, with arrival
    // times; the clock ends at now + duration.
    std::vector<std::pair<sim::Nanos, char>> timedCollect(sim::Nanos duration) {
        std::vector<std::pair<sim::Nanos, char>> bytes;
        std::uint8_t byte;
        for (now_ += duration; auto at = line_.nextArrival(now_);) {
            if (line_.hostRead(&byte, 1, *at) != 1) break;
            bytes.emplace_back(*at, static_cast<char>(byte));
        }
        return bytes;
    }

    // Sends `bytes` and returns what came back within `duration`.
    std::string exchange(const std::string& bytes, sim::Nanos duration = 100 * kMs) {
        send(bytes);
        std::string text;
        for (auto& [at, byte] : timedCollect(duration)) text.push_back(byte);
        return text;
    }

private:
    sim::Card& line_;
    sim::Nanos now_;
};

// The default card options as changed by `change`.
template <class Change>
sim::CardOptions options(Change change) {
    sim::CardOptions o;
    change(o);
    return o;
}

// A card and a host talking to it.
struct Card {
    explicit Card(const sim::CardOptions& options = {}, sim::Nanos start = 0) : line(options), host(line, start) {}
    sim::Card line;
    TestHost host;
};

// Sends one packet and reads the reply packet, if one came within 100 ms.
inline std::optional<Words> exchange(TestHost& host, std::uint16_t code, const Words& args) {
    std::string reply = host.exchange(sim::isp::wireForm(sim::isp::makePacket(code, args)));
    std::size_t start = reply.find("=G"), end = reply.find('\r', start);
    if (start == std::string::npos || end == std::string::npos) return std::nullopt;
    sim::isp::Decoded decoded = sim::isp::decodeBody(reply.substr(start + 2, end - start - 2));
    EXPECT_TRUE(decoded.wellFormed && decoded.checksumOk);
    return decoded.words;
}

inline bool accepted(const std::optional<Words>& reply, std::uint16_t code) {
    return reply && ((*reply)[0] & 0x0FFF) == code + 0x101;
}

inline std::uint16_t nackReason(const std::optional<Words>& reply, std::uint16_t code) {
    return reply && ((*reply)[0] & 0x0FFF) == 2 && (*reply)[1] == code ? (*reply)[2] : 0;
}

inline Words blockWords(const std::vector<std::uint8_t>& image, std::size_t at, std::size_t bytes) {
    Words words;
    auto byte = [&](std::size_t i) { return i < image.size() ? image[i] : 0; };
    for (std::size_t k = at; k < at + bytes; k += 2) {
        words.push_back(static_cast<std::uint16_t>(byte(k) | byte(k + 1) << 8));
    }
    return words;
}

// The set-mode packet (mode 0x0100 writes, 0x0200 reads) and its reply.
inline std::optional<Words> setMode(TestHost& host, int device, std::size_t start, std::size_t length,
                                    std::uint16_t mode = 0x0100) {
    auto w = [](std::size_t value) { return static_cast<std::uint16_t>(value); };
    return exchange(host, 0x502, {mode, w(device), w(start), w(start >> 16), w(length), w(length >> 16)});
}

inline std::vector<std::uint8_t> pattern(std::size_t size, unsigned seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>((i * 131 + seed) ^ (i >> 7));
    return bytes;
}

// =MP, =MR, the reset pause, the driver's blocks from 0x800 up to 0x2000
// (or the driver's end) and the call-driver packet, each accepted.
inline void loadDriver(TestHost& host, const std::vector<std::uint8_t>& driver = pattern(0x2000, 7)) {
    ASSERT_EQ(host.exchange("=MP\r=MR\r"), "=M*=M*");
    host.wait(5 * kSec);
    for (std::size_t address = 0x800; address < 0x2000 && address + 16 <= driver.size(); address += 16) {
        Words args{0, static_cast<std::uint16_t>(address)}, data = blockWords(driver, address, 16);
        args.insert(args.end(), data.begin(), data.end());
        ASSERT_TRUE(accepted(exchange(host, 0x50D, args), 0x50D)) << address;
    }
    ASSERT_TRUE(accepted(exchange(host, 0x802, {0x0080, 0, 0x3300, 0}), 0x802));
}

inline void writeBlocks(TestHost& host, const std::vector<std::uint8_t>& image, std::size_t from, std::size_t to) {
    for (std::size_t at = from; at < to; at += 32) {
        ASSERT_TRUE(accepted(exchange(host, 0x501, blockWords(image, at, 32)), 0x501)) << at;
    }
}

// Writes `image` to `device` as the tool does: from 0x100 on (the erase
// runs first) and the first 256 bytes last; device 1 in one run from 0.
inline void writeImage(TestHost& host, int device, const std::vector<std::uint8_t>& image) {
    std::size_t first = device == 1 ? image.size() : 0x100;
    if (first < image.size()) {
        ASSERT_TRUE(accepted(setMode(host, device, first, image.size() - first), 0x502));
        host.wait(20 * kSec);
        writeBlocks(host, image, first, image.size());
    }
    ASSERT_TRUE(accepted(setMode(host, device, 0, first), 0x502));
    writeBlocks(host, image, 0, first);
}

// Reads `size` bytes of `device` back through read requests (a refused
// read ends them; the rest stays 0).
inline std::vector<std::uint8_t> readBack(TestHost& host, int device, std::uint32_t size) {
    EXPECT_TRUE(accepted(setMode(host, device, 0, size, 0x0200), 0x502));
    auto status = exchange(host, 0x632, {0});
    EXPECT_TRUE(status && ((*status)[1] & 0xFF) == device);
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < size) {
        auto reply = exchange(host, 0x639, {0});
        if (!reply || (*reply)[0] != 0xF73A) break;
        for (int k = 1; k <= 16; ++k) bytes.insert(bytes.end(), {std::uint8_t((*reply)[k]), std::uint8_t((*reply)[k] >> 8)});
    }
    bytes.resize(size);
    return bytes;
}

}  // namespace simtest
