// Which of the card's bytes the host's program gets together, and when:
// a 40-byte reply at 115200 bit/s through a USB-serial adapter, a 16550
// UART and byte by byte, and the edges where a byte joins a chunk or starts
// the next one (a tick, four character times of quiet, a full FIFO). And the
// times the chunks are made from: when the card's bytes came, even to a
// host that takes them late.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "sim/card.h"
#include "sim/line/host_delivery.h"

namespace {

using sim::HostDelivery;
using sim::Nanos;
using Chunks = std::vector<std::pair<std::size_t, Nanos>>;  // how many bytes, at what time
constexpr Nanos kUs = 1000;
constexpr Nanos kMs = 1000 * kUs;
constexpr Nanos kByte = 86805;  // 10 bit times at 115200 bit/s

// `count` bytes back to back, the first arriving at `first`.
std::vector<Nanos> backToBack(Nanos first, std::size_t count) {
    std::vector<Nanos> arrivals;
    for (std::size_t i = 0; i < count; ++i) arrivals.push_back(first + i * kByte);
    return arrivals;
}

// Every chunk, as the serve loop takes them one after the other.
Chunks chunksOf(const HostDelivery& delivery, const std::vector<Nanos>& arrivals) {
    Chunks chunks;
    for (std::size_t from = 0; from < arrivals.size();) {
        sim::Chunk chunk = sim::firstChunk(delivery, arrivals.data() + from, arrivals.size() - from, kByte);
        if (chunk.count == 0) {
            ADD_FAILURE() << "an empty chunk at byte " << from;
            break;
        }
        chunks.emplace_back(chunk.count, chunk.at);
        from += chunk.count;
    }
    return chunks;
}

HostDelivery adapter(Nanos latency, Nanos timerStart = 0) {
    return {HostDelivery::Kind::kAdapter, latency, timerStart, 14};
}
HostDelivery uart(std::size_t threshold) { return {HostDelivery::Kind::kUart, kMs, 0, threshold}; }
const HostDelivery kEachByte{HostDelivery::Kind::kEachByte, kMs, 0, 14};

}  // namespace

TEST(HostDelivery, AReplyInTheChunksOfEachPort) {
    // A data reply's 40 bytes, the first in 1.37 ms after the timer started.
    const std::vector<Nanos> reply = backToBack(1370 * kUs, 40);
    const Nanos last = reply.back();
    const struct {
        const char* what;
        HostDelivery delivery;
        Chunks chunks;
    } cases[] = {
        {"adapter, 1 ms", adapter(kMs), {{8, 2 * kMs}, {11, 3 * kMs}, {12, 4 * kMs}, {9, 5 * kMs}}},
        {"adapter, 16 ms", adapter(16 * kMs), {{40, 16 * kMs}}},
        {"adapter whose timer started 0.25 ms later",
         adapter(kMs, 250 * kUs),
         {{11, 2250 * kUs}, {11, 3250 * kUs}, {12, 4250 * kUs}, {6, 5250 * kUs}}},
        {"UART at 14", uart(14), {{14, reply[13]}, {14, reply[27]}, {12, last + 4 * kByte}}},
        {"UART at 8", uart(8), {{8, reply[7]}, {8, reply[15]}, {8, reply[23]}, {8, reply[31]}, {8, reply[39]}}},
        {"UART at 1", uart(1), chunksOf(kEachByte, reply)},
    };
    for (const auto& c : cases) EXPECT_EQ(chunksOf(c.delivery, reply), c.chunks) << c.what;

    Chunks each = chunksOf(kEachByte, reply);
    ASSERT_EQ(each.size(), 40u);
    for (std::size_t i = 0; i < each.size(); ++i) EXPECT_EQ(each[i], std::make_pair(std::size_t{1}, reply[i]));
}

TEST(HostDelivery, TheEdgesOfAChunk) {
    // A byte on a tick goes with it; one just after waits for the next.
    EXPECT_EQ(chunksOf(adapter(kMs), {2 * kMs, 2 * kMs + 1}), (Chunks{{1, 2 * kMs}, {1, 3 * kMs}}));
    // Before the timer started: at its start.
    EXPECT_EQ(chunksOf(adapter(kMs, 5 * kMs), {kMs}), (Chunks{{1, 5 * kMs}}));

    // The UART's time-out: four character times after the last byte, unless
    // the next comes before them; one that comes as they end is too late.
    const Nanos quiet = 4 * kByte;
    EXPECT_EQ(chunksOf(uart(14), {0, kByte, kByte + quiet}), (Chunks{{2, kByte + quiet}, {1, kByte + 2 * quiet}}));
    EXPECT_EQ(chunksOf(uart(14), {0, kByte, kByte + quiet - 1}), (Chunks{{3, kByte + 2 * quiet - 1}}));
    // A byte not known yet counts as not coming.
    EXPECT_EQ(chunksOf(uart(14), {0}), (Chunks{{1, quiet}}));

    // Bytes that arrive at the same moment (an unpaced card) go together.
    EXPECT_EQ(chunksOf(kEachByte, {7, 7, 7, 9}), (Chunks{{3, 7}, {1, 9}}));
}

TEST(HostDelivery, TheCardTellsWhenItsBytesCameToAHostThatTakesThemLate) {
    sim::Card card(sim::CardOptions{});
    const std::uint8_t probe = 0x00;
    card.hostWrite(&probe, 1, 0);
    Nanos came[32];
    std::size_t answer = card.nextArrivals(100 * kMs, came, 32);
    ASSERT_GT(answer, 8u);
    // The first byte taken when the eighth has come: the rest came when they came.
    std::uint8_t first;
    ASSERT_EQ(card.hostRead(&first, 1, came[7]), 1u);
    Nanos rest[32];
    ASSERT_EQ(card.nextArrivals(100 * kMs, rest, 32), answer - 1);
    EXPECT_EQ(std::vector<Nanos>(rest, rest + answer - 1), std::vector<Nanos>(came + 1, came + answer));
    // To the simulated platform, which reads at once what has come, they are there now.
    EXPECT_EQ(card.nextArrival(100 * kMs), came[7]);
}
