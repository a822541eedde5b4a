// Which of the card's bytes the host's program gets together, and when: a 40-byte
// reply through a USB-serial adapter and a 16550 UART, the edges of a chunk (a tick,
// four character times of quiet, a full FIFO), and bytes a host takes late.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "sim/card.h"
#include "sim/line/host_delivery.h"

namespace {

using sim::HostDelivery;
using sim::Nanos;
using Chunks = std::vector<std::pair<std::size_t, Nanos>>;  // how many bytes, at what time
constexpr Nanos kUs = 1000, kMs = 1000 * kUs;
constexpr Nanos kByte = 86805, kQuiet = 4 * kByte;  // 10 bit times at 115200 bit/s

// Every chunk, as the serve loop takes them one after the other.
Chunks chunksOf(const HostDelivery& delivery, const std::vector<Nanos>& arrivals) {
    Chunks chunks;
    for (std::size_t from = 0; from < arrivals.size();) {
        sim::Chunk chunk = sim::firstChunk(delivery, arrivals.data() + from, arrivals.size() - from, kByte);
        if (chunk.count == 0) break;
        chunks.emplace_back(chunk.count, chunk.at);
        from += chunk.count;
    }
    return chunks;
}

HostDelivery adapter(Nanos latency, Nanos start = 0) { return {HostDelivery::Kind::kAdapter, latency, start, 14}; }
HostDelivery uart(std::size_t threshold) { return {HostDelivery::Kind::kUart, kMs, 0, threshold}; }

}  // namespace

TEST(HostDelivery, AReplyInTheChunksOfEachPort) {
    std::vector<Nanos> reply;  // a data reply, the first byte in 1.37 ms after the timer started
    for (Nanos i = 0; i < 40; ++i) reply.push_back(1370 * kUs + i * kByte);
    EXPECT_EQ(chunksOf(adapter(kMs), reply), (Chunks{{8, 2 * kMs}, {11, 3 * kMs}, {12, 4 * kMs}, {9, 5 * kMs}}));
    EXPECT_EQ(chunksOf(adapter(16 * kMs), reply), (Chunks{{40, 16 * kMs}}));
    EXPECT_EQ(chunksOf(adapter(kMs, 250 * kUs), reply),
              (Chunks{{11, 2250 * kUs}, {11, 3250 * kUs}, {12, 4250 * kUs}, {6, 5250 * kUs}}));
    EXPECT_EQ(chunksOf(uart(14), reply), (Chunks{{14, reply[13]}, {14, reply[27]}, {12, reply[39] + kQuiet}}));
    EXPECT_EQ(chunksOf(uart(8), reply),
              (Chunks{{8, reply[7]}, {8, reply[15]}, {8, reply[23]}, {8, reply[31]}, {8, reply[39]}}));
}

TEST(HostDelivery, TheEdgesOfAChunk) {
    // A byte on a tick goes with it, one just after with the next; one
    // before the timer started, at its start.
    EXPECT_EQ(chunksOf(adapter(kMs), {2 * kMs, 2 * kMs + 1}), (Chunks{{1, 2 * kMs}, {1, 3 * kMs}}));
    EXPECT_EQ(chunksOf(adapter(kMs, 5 * kMs), {kMs}), (Chunks{{1, 5 * kMs}}));
    // The UART's time-out, four character times after the last byte: a byte as they
    // end is too late, one before joins; a byte not known yet is not coming.
    EXPECT_EQ(chunksOf(uart(14), {0, kByte, kByte + kQuiet}),
              (Chunks{{2, kByte + kQuiet}, {1, kByte + 2 * kQuiet}}));
    EXPECT_EQ(chunksOf(uart(14), {0, kByte, kByte + kQuiet - 1}), (Chunks{{3, kByte + 2 * kQuiet - 1}}));
    EXPECT_EQ(chunksOf(uart(14), {0}), (Chunks{{1, kQuiet}}));
    // Byte by byte, but bytes that arrive at the same moment (an unpaced card) together.
    EXPECT_EQ(chunksOf({HostDelivery::Kind::kEachByte}, {7, 7, 7, 9}), (Chunks{{3, 7}, {1, 9}}));
}

TEST(HostDelivery, TheCardTellsWhenItsBytesCameToAHostThatTakesThemLate) {
    sim::Card card(sim::CardOptions{});
    const std::uint8_t probe = 0x00;
    card.hostWrite(&probe, 1, 0);
    Nanos came[32], rest[32];
    std::size_t answer = card.nextArrivals(100 * kMs, came, 32);
    ASSERT_GT(answer, 8u);
    // The first byte taken when the eighth has come: the rest came when they
    // came; to the simulated platform, which reads at once, they are there now.
    std::uint8_t first;
    ASSERT_EQ(card.hostRead(&first, 1, came[7]), 1u);
    ASSERT_EQ(card.nextArrivals(100 * kMs, rest, 32), answer - 1);
    EXPECT_EQ(std::vector<Nanos>(rest, rest + answer - 1), std::vector<Nanos>(came + 1, came + answer));
    EXPECT_EQ(card.nextArrival(100 * kMs), came[7]);
}
