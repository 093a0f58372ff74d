// The delivery seeds: the mixing step is splitmix64's, and every delivery of
// a long match gets a seed of its own.
#include "delivery_seed.h"
#include "match_numbers.h"

#include <gtest/gtest.h>

#include <set>

using namespace skerrow;

namespace {

TEST(DeliverySeed, StaysTheSameFromVersionToVersion) {
    // Records name their seed: a change of the derivation would make old
    // records replay other errors. The values were computed apart from this
    // code, from splitmix64's definition.
    EXPECT_EQ(MixSeed(0, 0), 0xA706DD2F4D197E6FULL);
    EXPECT_EQ(DeliverySeed(1, 1, 0, 0), 0x4F7B07A04C906EC6ULL);
}

TEST(DeliverySeed, EveryDeliveryOfTwoMatchesHasItsOwnSeedAndTheSameOneTwice) {
    std::set<std::uint64_t> seen;
    int deliveries = 0;
    for (const std::uint64_t match : {0ULL, 1ULL}) {
        for (int game = 1; game <= 20; ++game) {
            for (int end = 0; end < kEnds; ++end) {
                for (int stone = 0; stone < kStonesPerEnd; ++stone) {
                    seen.insert(DeliverySeed(match, game, end, stone));
                    ++deliveries;
                }
            }
        }
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(deliveries));
    EXPECT_EQ(DeliverySeed(7, 2, 3, 4), DeliverySeed(7, 2, 3, 4));
    EXPECT_NE(DeliverySeed(7, 1, 2, 3), DeliverySeed(7, 1, 3, 2));
}

} // namespace
