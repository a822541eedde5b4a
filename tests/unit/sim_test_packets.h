// ISP packet exchanges with a simulated card, for the card model's own
// tests: one packet out, the reply packet back, and the usual sequences
// (driver download, image blocks, read-back) built from them.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "sim/isp_packet.h"
#include "tests/unit/sim_test_line.h"

namespace simtest {

using sim::isp::Words;

// Sends one packet and reads the reply packet, if one came within 100 ms.
inline std::optional<Words> exchange(TestHost& host, std::uint16_t code, const Words& args) {
    std::string reply = host.exchange(sim::isp::wireForm(sim::isp::makePacket(code, args)));
    std::size_t start = reply.find("=G");
    std::size_t end = reply.find('\r', start);
    if (start == std::string::npos || end == std::string::npos) return std::nullopt;
    sim::isp::Decoded decoded = sim::isp::decodeBody(reply.substr(start + 2, end - start - 2));
    EXPECT_TRUE(decoded.wellFormed && decoded.checksumOk);
    return decoded.words;
}

inline bool accepted(const std::optional<Words>& reply, std::uint16_t code) {
    return reply && ((*reply)[0] & 0x0FFF) != 2 && ((*reply)[0] & 0x0FFF) == code + 0x101;
}

inline std::uint16_t nackReason(const std::optional<Words>& reply, std::uint16_t code) {
    if (!reply || ((*reply)[0] & 0x0FFF) != 2 || (*reply)[1] != code) return 0;
    return (*reply)[2];
}

inline Words blockWords(const std::vector<std::uint8_t>& image, std::size_t at, std::size_t bytes) {
    Words words;
    for (std::size_t k = 0; k < bytes; k += 2) {
        auto byte = [&](std::size_t i) { return i < image.size() ? image[i] : std::uint8_t{0}; };
        words.push_back(static_cast<std::uint16_t>(byte(at + k) | (byte(at + k + 1) << 8)));
    }
    return words;
}

inline Words setMode(std::uint16_t mode, int device, std::uint32_t start, std::uint32_t length) {
    return {mode,
            static_cast<std::uint16_t>(device),
            static_cast<std::uint16_t>(start & 0xFFFF),
            static_cast<std::uint16_t>(start >> 16),
            static_cast<std::uint16_t>(length & 0xFFFF),
            static_cast<std::uint16_t>(length >> 16)};
}

inline std::vector<std::uint8_t> pattern(std::size_t size, unsigned seed) {
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>((i * 131 + seed) ^ (i >> 7));
    return bytes;
}

// =MP, =MR, the reset pause, the driver's blocks from 0x800 up to 0x2000
// (or the driver's end) and the call-driver packet, each accepted.
inline void loadDriver(TestHost& host, const std::vector<std::uint8_t>& driver = pattern(0x2000, 7)) {
    ASSERT_EQ(host.exchange("=MP\r"), "=M*");
    ASSERT_EQ(host.exchange("=MR\r"), "=M*");
    host.wait(5 * kSec);
    for (std::size_t address = 0x800; address < 0x2000 && address + 16 <= driver.size(); address += 16) {
        Words args{0, static_cast<std::uint16_t>(address)};
        Words data = blockWords(driver, address, 16);
        args.insert(args.end(), data.begin(), data.end());
        ASSERT_TRUE(accepted(exchange(host, 0x50D, args), 0x50D)) << address;
    }
    ASSERT_TRUE(accepted(exchange(host, 0x802, {0x0080, 0, 0x3300, 0}), 0x802));
}

inline void writeBlocks(TestHost& host, const std::vector<std::uint8_t>& image, std::size_t from,
                 std::size_t to) {
    for (std::size_t at = from; at < to; at += 32) {
        ASSERT_TRUE(accepted(exchange(host, 0x501, blockWords(image, at, 32)), 0x501)) << at;
    }
}

// Reads `size` bytes of `device` back through read requests.
inline std::vector<std::uint8_t> readBack(TestHost& host, int device, std::uint32_t size) {
    EXPECT_TRUE(accepted(exchange(host, 0x502, setMode(0x0200, device, 0, size)), 0x502));
    auto status = exchange(host, 0x632, {0});
    EXPECT_TRUE(status && ((*status)[1] & 0xFF) == device);
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < size) {
        auto reply = exchange(host, 0x639, {0});
        if (!reply || (*reply)[0] != 0xF73A) {
            ADD_FAILURE() << "read at " << bytes.size();
            break;
        }
        for (int k = 1; k <= 16; ++k) {
            bytes.push_back(static_cast<std::uint8_t>((*reply)[k] & 0xFF));
            bytes.push_back(static_cast<std::uint8_t>((*reply)[k] >> 8));
        }
    }
    bytes.resize(size);
    return bytes;
}

}  // namespace simtest
