#include "delivery_seed.h"

namespace skerrow {

namespace {

// One output of splitmix64 from the state `z`: the golden-ratio increment and
// the finaliser's multipliers.
std::uint64_t Splitmix64(std::uint64_t z) {
    z += 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

} // namespace

std::uint64_t MixSeed(std::uint64_t seed, std::uint64_t value) {
    // The seed is stirred before the value joins it, so that no two pairs
    // (seed, value) meet by a simple sum or difference.
    return Splitmix64(Splitmix64(seed) ^ value);
}

std::uint64_t DeliverySeed(std::uint64_t matchSeed, int game, int end, int stone) {
    // Mixed one after another, so that (game, end, stone) = (1, 2, 3) and
    // (1, 3, 2) give unrelated seeds.
    std::uint64_t seed = MixSeed(matchSeed, static_cast<std::uint64_t>(game));
    seed = MixSeed(seed, static_cast<std::uint64_t>(end));
    return MixSeed(seed, static_cast<std::uint64_t>(stone));
}

} // namespace skerrow
