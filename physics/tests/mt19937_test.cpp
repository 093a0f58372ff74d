#include "mt19937.h"
#include "shot_simulation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

using tarnwick::Mt19937;

TEST(Mt19937, MatchesTheReferenceOutputsForAnArrayKey) {
    Mt19937 generator;
    const std::uint32_t key[] = {0x123, 0x234, 0x345, 0x456};
    generator.InitByArray(key);
    for (const std::uint32_t expected :
         {1067595299U, 955945823U, 477289528U, 4107218783U, 4228976476U}) {
        EXPECT_EQ(generator.GenrandInt32(), expected);
    }
    // Far enough to cross a regeneration of the state.
    for (int i = 5; i < 1000; ++i) {
        generator.GenrandInt32();
    }
    EXPECT_EQ(generator.GenrandInt32(), 3276005344U); // the 1001st output
}

TEST(Mt19937, UnseededGeneratorSeedsWith5489) {
    Mt19937 unseeded;
    Mt19937 seeded;
    seeded.InitGenrand(5489U);
    EXPECT_EQ(unseeded.GenrandInt32(), 3499211612U);
    EXPECT_EQ(seeded.GenrandInt32(), 3499211612U);
}

TEST(NormalNoise, IsBoundedAndCentred) {
    Mt19937 generator;
    const std::uint32_t key[] = {42};
    generator.InitByArray(key);
    double sum = 0.0;
    double sumSquares = 0.0;
    const int n = 4000;
    for (int i = 0; i < n; ++i) {
        const float e = tarnwick::NormalNoise(generator, 0.5f);
        ASSERT_LE(std::fabs(e), 3.0f);
        sum += e;
        sumSquares += static_cast<double>(e) * e;
    }
    EXPECT_NEAR(sum / n, 0.0, 0.05);
    EXPECT_NEAR(std::sqrt(sumSquares / n), 0.5, 0.05);
    EXPECT_EQ(tarnwick::NormalNoise(generator, 0.0f), 0.0f);
}

TEST(SetDeliveryError, IsTheDifferenceOfTwoStraightDraws) {
    const tarnwick::DeliveryError none = tarnwick::SetDeliveryError(0.0f);
    EXPECT_EQ(none.sigmaX, 0.0f);
    EXPECT_EQ(none.sigmaY, 0.0f);
    const tarnwick::DeliveryError some = tarnwick::SetDeliveryError(0.1f);
    EXPECT_GT(some.sigmaX, 0.0f); // aimed to +x of the tee
    EXPECT_GT(some.sigmaY, 0.0f); // and shorter
}
