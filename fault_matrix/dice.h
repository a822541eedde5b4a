// The matrix's own reproducible choices: one stream of the card model's
// generator per run, so that a run's seed alone gives back everything the
// run was made of.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/line/fault_dice.h"

namespace matrix {

class Dice {
public:
    explicit Dice(std::uint64_t seed) : random_(seed) {}

    std::uint64_t next() { return random_.next(); }

    // From `low` to `high`, both included.
    std::uint64_t between(std::uint64_t low, std::uint64_t high) { return low + next() % (high - low + 1); }

    // From 0 up to, not including, 1.
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

    bool chance(double probability) { return unit() < probability; }

    // Evenly spread over the orders of magnitude from `low` to `high`.
    double logUniform(double low, double high) { return low * std::pow(high / low, unit()); }

    template <class T>
    const T& pick(const std::vector<T>& items) {
        return items[next() % items.size()];
    }

    std::vector<std::uint8_t> bytes(std::size_t count) {
        std::vector<std::uint8_t> out(count);
        for (std::uint8_t& byte : out) byte = static_cast<std::uint8_t>(next() >> 56);
        return out;
    }

private:
    sim::SplitMix64 random_;
};

// The seed of run `run` of a matrix started from `matrixSeed`.
inline std::uint64_t runSeed(std::uint64_t matrixSeed, std::uint64_t run) {
    Dice dice(matrixSeed ^ (run * 0xD1B54A32D192ED03ull));
    return dice.next();
}

}  // namespace matrix
