// Which games a series plays: pairings, the pairs' seeds and colours, and
// shards that split the pairs without gaps or overlaps.
#include "series_plan.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace skerrow::match_runner;

namespace {

TEST(SeriesPlan, RoundRobinPlaysEveryPairOnceAndTheGauntletTheFirstAgainstEachOther) {
    const std::vector<Pairing> robin = Pairings(4, false);
    ASSERT_EQ(robin.size(), 6u);
    std::set<std::pair<int, int>> seen;
    for (const Pairing& pairing : robin) {
        EXPECT_LT(pairing.first, pairing.second);
        seen.insert({pairing.first, pairing.second});
    }
    EXPECT_EQ(seen.size(), 6u);
    const std::vector<Pairing> gauntlet = Pairings(4, true);
    ASSERT_EQ(gauntlet.size(), 3u);
    for (const Pairing& pairing : gauntlet) {
        EXPECT_EQ(pairing.first, 0);
    }
}

TEST(SeriesPlan, BothGamesOfAPairShareTheSeedWithColoursSwapped) {
    const std::vector<ScheduledGame> games = Schedule(Pairings(3, false), 2, 99, std::nullopt);
    ASSERT_EQ(games.size(), 12u); // 3 pairings, 2 pairs each, 2 games a pair
    std::set<std::uint64_t> seeds;
    for (std::size_t i = 0; i < games.size(); i += 2) {
        const ScheduledGame& a = games[i];
        const ScheduledGame& b = games[i + 1];
        EXPECT_EQ(a.number, static_cast<int>(i) + 1);
        EXPECT_EQ(PairOfGame(a.number), a.pair);
        EXPECT_EQ(LegOfGame(b.number), 1);
        EXPECT_EQ(a.pair, b.pair);
        EXPECT_EQ(a.seed, b.seed);
        EXPECT_EQ(a.red, b.yellow);
        EXPECT_EQ(a.yellow, b.red);
        EXPECT_EQ(a.seed, PairSeed(99, a.pair));
        seeds.insert(a.seed);
    }
    EXPECT_EQ(seeds.size(), 6u);
    // Round by round: every pairing plays once before any plays again.
    EXPECT_EQ(games[0].pairing, 0);
    EXPECT_EQ(games[2].pairing, 1);
    EXPECT_EQ(games[4].pairing, 2);
    EXPECT_EQ(games[6].pairing, 0);
    EXPECT_NE(Schedule(Pairings(2, false), 1, 100, std::nullopt)[0].seed, games[0].seed);
}

TEST(SeriesPlan, ShardsSplitThePairsWithoutGapsOrOverlaps) {
    const std::vector<Pairing> pairings = Pairings(3, false);
    const std::vector<ScheduledGame> whole = Schedule(pairings, 5, 7, std::nullopt);
    std::map<int, ScheduledGame> fromShards;
    for (int index = 1; index <= 4; ++index) {
        for (const ScheduledGame& game : Schedule(pairings, 5, 7, Shard{index, 4})) {
            EXPECT_EQ(game.pair % 4, index - 1);
            EXPECT_TRUE(fromShards.emplace(game.number, game).second) << game.number;
        }
    }
    ASSERT_EQ(fromShards.size(), whole.size());
    for (const ScheduledGame& game : whole) {
        const ScheduledGame& shard = fromShards.at(game.number);
        EXPECT_EQ(shard.seed, game.seed);
        EXPECT_EQ(shard.red, game.red);
    }
}

TEST(SeriesPlan, ReadsShardsStrictly) {
    ASSERT_TRUE(ParseShard("3/3"));
    EXPECT_EQ(ParseShard("3/3")->index, 3);
    for (const char* bad : {"0/3", "4/3", "1", "/3", "1/", "-1/3", "1/3x", "a/b"}) {
        EXPECT_FALSE(ParseShard(bad)) << bad;
    }
}

} // namespace
