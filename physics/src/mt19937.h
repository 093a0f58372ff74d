#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace tarnwick {

// The 32-bit Mersenne Twister of the published reference code, with its array
// seeding. A generator used before any seeding seeds itself with 5489, as the
// reference does.
class Mt19937 {
public:
    Mt19937() = default;

    // Reference init_genrand: seeds from one word.
    void InitGenrand(std::uint32_t seed);
    // Reference init_by_array: seeds from a key of any length (at least one word).
    void InitByArray(std::span<const std::uint32_t> key);
    // Reference genrand_int32: the next tempered output.
    std::uint32_t GenrandInt32();
    // A uniform number in [0, 1): the next output divided by 2^32.
    double Uniform() { return GenrandInt32() * (1.0 / 4294967296.0); }

private:
    static constexpr int kN = 624;
    static constexpr int kM = 397;

    void Regenerate();

    std::array<std::uint32_t, kN> m_state{};
    int m_index = kN + 1; // kN + 1: not seeded yet
};

} // namespace tarnwick
