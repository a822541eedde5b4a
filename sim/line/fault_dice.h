// A small reproducible random source for the card's faults: one stream per
// kind of fault, so that changing one rate does not move the others. Its
// generator (splitmix64) also seeds the benches' own choices.
#pragma once

#include <cstdint>

namespace sim {

// The streams, one per kind of fault.
enum class FaultStream : std::uint64_t {
    kHostDrop = 1,
    kHostCorrupt,
    kCardDrop,
    kCardCorrupt,
    kNoise,
    kNack,
    kLate,
    kSamples,  // not a fault: the content of the sample files
};

// splitmix64: 64 bits a call, the whole sequence given by the seed.
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

private:
    std::uint64_t state_;
};

class FaultDice {
public:
    FaultDice(std::uint64_t seed, FaultStream stream)
        : random_(seed ^ (static_cast<std::uint64_t>(stream) * 0xD1B54A32D192ED03ull)) {}

    // True with probability `rate` (0 never, 1 always).
    bool roll(double rate) {
        if (rate <= 0.0) return false;
        if (rate >= 1.0) return true;
        return static_cast<double>(next() >> 11) * 0x1.0p-53 < rate;
    }

    std::uint8_t byte() { return static_cast<std::uint8_t>(next() >> 56); }

private:
    std::uint64_t next() { return random_.next(); }

    SplitMix64 random_;
};

}  // namespace sim
