#pragma once

// Which games a series plays: the engine pairings (every engine against every
// other, or the first against each of the others), the game pairs of each
// pairing, their seeds, and the share of one shard. Pure functions of the
// options, so that every shard, a resumed series and a merge agree on them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skerrow::match_runner {

// Two engines, by their index on the command line; `first` is the one whose
// view the report takes.
struct Pairing {
    int first = 0;
    int second = 0;
};

// The pairings of `engines` engines: round robin, or with `gauntlet` the
// first against each other one.
std::vector<Pairing> Pairings(int engines, bool gauntlet);

// Shard `index` (counted from 1) of `count`.
struct Shard {
    int index = 1;
    int count = 1;
};

// "I/N" with 1 <= I <= N; none for anything else.
std::optional<Shard> ParseShard(std::string_view text);

// One game of the series.
struct ScheduledGame {
    // Counted from 1 over the whole series: the games of pair p are 2p + 1
    // and 2p + 2. Also the number in the record's file name.
    int number = 0;
    // Counted from 0 over the whole series.
    int pair = 0;
    // 0: the pairing's first engine plays red; 1: colours swapped.
    int leg = 0;
    int pairing = 0;
    // Engine indices by colour.
    int red = 0;
    int yellow = 0;
    // The match seed of the game, the same for both games of a pair.
    std::uint64_t seed = 0;
};

// The pair a game number belongs to, and its leg.
inline int PairOfGame(int number) {
    return (number - 1) / 2;
}
inline int LegOfGame(int number) {
    return (number - 1) % 2;
}

// The seed of both games of pair `pair`.
std::uint64_t PairSeed(std::uint64_t seriesSeed, int pair);

// The games of `pairsPerPairing` pairs of each pairing, in the order they are
// played: round by round, every pairing once a round, both games of a pair
// one after the other. With a shard, only the pairs p with p mod N = I - 1.
std::vector<ScheduledGame> Schedule(const std::vector<Pairing>& pairings, int pairsPerPairing,
                                    std::uint64_t seriesSeed, const std::optional<Shard>& shard);

} // namespace skerrow::match_runner
