// Many simulated SPRT series with a known true strength: the test must accept
// H1 about as rarely as alpha says when H0 holds, and accept it nearly always
// for a clearly stronger engine.

#include "series_statistics.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace skerrow::series {
namespace {

// Pair outcomes of two engines `elo` apart: a symmetric, strongly correlated
// pentanomial (most pairs split) mixed with a share of pairs that one engine
// wins twice, chosen so that the mean score per game is ScoreFromElo(elo).
std::array<double, 5> PairModel(double elo) {
    std::array<double, 5> p{0.05, 0.2, 0.5, 0.2, 0.05};
    const double share = 2.0 * (ScoreFromElo(elo) - 0.5); // mean of the mix: 0.5 + share / 2
    for (double& cell : p) {
        cell *= 1.0 - std::abs(share);
    }
    p[share > 0.0 ? 4 : 0] += std::abs(share);
    return p;
}

// Draws pentanomial cells from the 64 bits of the generator directly, so that
// the series are the same with every standard library.
std::size_t DrawCell(const std::array<double, 5>& p, std::mt19937_64& random) {
    const double u = static_cast<double>(random() >> 11) * 0x1.0p-53;
    double cumulative = 0.0;
    for (std::size_t i = 0; i + 1 < p.size(); ++i) {
        cumulative += p[i];
        if (u < cumulative) {
            return i;
        }
    }
    return p.size() - 1;
}

struct Outcomes {
    int h0 = 0, h1 = 0, unfinished = 0;
};

Outcomes RunSeries(double trueElo, double elo0, double elo1, int series, std::uint64_t seed) {
    const SprtBounds bounds = SprtBoundsFor(0.05, 0.05);
    const std::array<double, 5> model = PairModel(trueElo);
    std::mt19937_64 random(seed);
    Outcomes outcomes;
    for (int s = 0; s < series; ++s) {
        Pentanomial pairs;
        SprtDecision decision = SprtDecision::Continue;
        for (int pair = 0; pair < 50000 && decision == SprtDecision::Continue; ++pair) {
            ++pairs.counts[DrawCell(model, random)];
            decision = Decide(PentanomialLlr(pairs, elo0, elo1), bounds);
        }
        switch (decision) {
        case SprtDecision::AcceptH0:
            ++outcomes.h0;
            break;
        case SprtDecision::AcceptH1:
            ++outcomes.h1;
            break;
        case SprtDecision::Continue:
            ++outcomes.unfinished;
            break;
        }
    }
    return outcomes;
}

TEST(SprtSimulation, ErrorRatesNearAlphaAndBeta) {
    constexpr int kSeries = 1000;
    // True strength elo0: H1 accepted in about alpha = 5 % of the series
    // (binomial spread about 0.7 %; the discrete overshoot of the bound
    // usually brings it a little below).
    const Outcomes null = RunSeries(0.0, 0.0, 10.0, kSeries, 20261209);
    EXPECT_EQ(null.unfinished, 0);
    const double falsePositives = static_cast<double>(null.h1) / kSeries;
    EXPECT_GT(falsePositives, 0.025);
    EXPECT_LT(falsePositives, 0.075);

    // True strength elo1: H0 accepted in about beta = 5 %.
    const Outcomes alternative = RunSeries(10.0, 0.0, 10.0, kSeries, 7);
    const double falseNegatives = static_cast<double>(alternative.h0) / kSeries;
    EXPECT_GT(falseNegatives, 0.025);
    EXPECT_LT(falseNegatives, 0.075);

    // Far stronger than elo1: H1 every time; far weaker: H0 every time.
    const Outcomes strong = RunSeries(40.0, 0.0, 10.0, 200, 11);
    EXPECT_EQ(strong.h1, 200);
    const Outcomes weak = RunSeries(-30.0, 0.0, 10.0, 200, 13);
    EXPECT_EQ(weak.h0, 200);
}

} // namespace
} // namespace skerrow::series
