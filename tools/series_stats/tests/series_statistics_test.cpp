#include "series_statistics.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <stdexcept>

namespace skerrow::series {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// Reference figures: python3 with mpmath at 40 digits, written apart from this
// library (the constrained maximum found by bisection, then checked against
// 2000 random perturbations that keep the sum and the mean):
//   a = [0, 1/4, 1/2, 3/4, 1]; s(e) = 1 / (1 + 10^(-e/400))
//   mle(n, s): x solves sum n_i (a_i - s) / (1 + x (a_i - s)) = 0 on
//              (-1/(1-s), 1/s); p_i = n_i / N / (1 + x (a_i - s))
//   llr = sum n_i log(p1_i / p0_i), with empty cells counted as 1e-3
//   interval: mean m, var = sum n_i (a_i - m)^2 / N, m +- 1.959964 sqrt(var / N)
TEST(SeriesStatistics, EloFromScoreIsLogisticAndInfiniteAtTheEnds) {
    EXPECT_NEAR(EloFromScore(0.75), 190.848501887865, 1e-9); // 400 log10(3)
    EXPECT_NEAR(EloFromScore(0.25), -190.848501887865, 1e-9);
    EXPECT_EQ(EloFromScore(0.5), 0.0);
    EXPECT_EQ(EloFromScore(1.0), kInf);
    EXPECT_EQ(EloFromScore(0.0), -kInf);
    EXPECT_NEAR(ScoreFromElo(EloFromScore(0.6)), 0.6, 1e-12);
}

TEST(SeriesStatistics, IntervalsMatchHandComputedFigures) {
    // 60 wins, 20 losses, 20 draws: score 0.7, variance per game 0.16.
    const Interval games = EloFromGames({60, 20, 20});
    EXPECT_NEAR(games.value, 147.190714117838, 1e-6);
    EXPECT_NEAR(games.lower, 86.225015200304, 1e-6);
    EXPECT_NEAR(games.upper, 218.251777641075, 1e-6);

    const Interval pairs = EloFromPairs({{3, 27, 60, 34, 6}});
    EXPECT_NEAR(pairs.value, 17.386277512436, 1e-6);
    EXPECT_NEAR(pairs.lower, -8.251298727417, 1e-6);
    EXPECT_NEAR(pairs.upper, 43.214793393513, 1e-6);
}

TEST(SeriesStatistics, OneSidedAndEmptySeriesGiveNoNaN) {
    const Interval none = EloFromGames({});
    EXPECT_EQ(none.value, 0.0);
    EXPECT_EQ(none.lower, -kInf);
    EXPECT_EQ(none.upper, kInf);
    const Interval noPairs = EloFromPairs({});
    EXPECT_EQ(noPairs.lower, -kInf);
    EXPECT_EQ(noPairs.upper, kInf);
    EXPECT_EQ(Pentanomial{}.Score(), 0.5);

    const Interval allWins = EloFromGames({10, 0, 0});
    EXPECT_EQ(allWins.value, kInf);
    EXPECT_EQ(allWins.lower, kInf);
    const Interval allLosses = EloFromPairs({{7, 0, 0, 0, 0}});
    EXPECT_EQ(allLosses.value, -kInf);
    EXPECT_EQ(allLosses.upper, -kInf);
    const Interval allDraws = EloFromGames({0, 0, 12});
    EXPECT_EQ(allDraws.value, 0.0);
    EXPECT_EQ(allDraws.lower, 0.0);
    EXPECT_EQ(allDraws.upper, 0.0);
    // A near one-sided series: the upper end leaves the score range and
    // becomes +inf rather than NaN.
    const Interval nineOfTen = EloFromGames({9, 1, 0});
    EXPECT_TRUE(std::isfinite(nineOfTen.lower));
    EXPECT_EQ(nineOfTen.upper, kInf);

    EXPECT_EQ(FormatInterval(allWins), "+inf [+inf, +inf]");
    EXPECT_EQ(FormatInterval(none), "0.0 [-inf, +inf]");
    EXPECT_EQ(FormatElo(-35.04), "-35.0");
    EXPECT_EQ(FormatElo(-0.01), "0.0");
}

TEST(SeriesStatistics, LikelihoodOfSuperiorityIsSymmetric) {
    EXPECT_NEAR(LikelihoodOfSuperiority({60, 40, 7}), 0.977249868051821, 1e-12); // Phi(2)
    EXPECT_NEAR(LikelihoodOfSuperiority({40, 60, 7}), 1.0 - 0.977249868051821, 1e-12);
    for (const GameTally& tally :
         {GameTally{13, 8, 4}, GameTally{1, 0, 0}, GameTally{250, 251, 100}}) {
        const GameTally mirrored{tally.losses, tally.wins, tally.draws};
        EXPECT_NEAR(LikelihoodOfSuperiority(tally) + LikelihoodOfSuperiority(mirrored), 1.0, 1e-12);
    }
    EXPECT_EQ(LikelihoodOfSuperiority({}), 0.5);
    EXPECT_EQ(LikelihoodOfSuperiority({0, 0, 30}), 0.5);
    EXPECT_EQ(LikelihoodOfSuperiority({30, 30, 0}), 0.5);
}

TEST(SeriesStatistics, SprtBoundsAndDecisions) {
    const SprtBounds bounds = SprtBoundsFor(0.05, 0.05);
    EXPECT_NEAR(bounds.lower, -2.944438979166440, 1e-12); // log(0.05 / 0.95)
    EXPECT_NEAR(bounds.upper, 2.944438979166440, 1e-12);
    const SprtBounds uneven = SprtBoundsFor(0.01, 0.2);
    EXPECT_NEAR(uneven.lower, std::log(0.2 / 0.99), 1e-12);
    EXPECT_NEAR(uneven.upper, std::log(0.8 / 0.01), 1e-12);

    EXPECT_EQ(Decide(2.95, bounds), SprtDecision::AcceptH1);
    EXPECT_EQ(Decide(bounds.upper, bounds), SprtDecision::AcceptH1);
    EXPECT_EQ(Decide(2.94, bounds), SprtDecision::Continue);
    EXPECT_EQ(Decide(-2.94, bounds), SprtDecision::Continue);
    EXPECT_EQ(Decide(-2.95, bounds), SprtDecision::AcceptH0);

    EXPECT_THROW(SprtBoundsFor(0.0, 0.05), std::invalid_argument);
    EXPECT_THROW(SprtBoundsFor(0.6, 0.5), std::invalid_argument);
    EXPECT_THROW(SprtBoundsFor(std::nan(""), 0.05), std::invalid_argument);
    EXPECT_EQ(SprtParameterError(0, 5, 0.05, 0.05), "");
    EXPECT_NE(SprtParameterError(5, 0, 0.05, 0.05), "");
    EXPECT_NE(SprtParameterError(0, 1e6, 0.05, 0.05), "");
    EXPECT_NE(SprtParameterError(0, 5, 0.05, 1.5), "");
}

TEST(SeriesStatistics, PentanomialLlrMatchesIndependentComputation) {
    const Pentanomial pairs{{3, 27, 60, 34, 6}};
    EXPECT_NEAR(PentanomialLlr(pairs, 0, 5), 0.432548498559086, 1e-9);
    EXPECT_NEAR(PentanomialLlr(pairs, -2, 8), 0.835834745761974, 1e-9);
    // Empty cells count as 1e-3 pair.
    EXPECT_NEAR(PentanomialLlr({{0, 0, 11, 5, 0}}, 0, 10), 0.453662900513697, 1e-9);

    // Swapping the hypotheses negates the ratio; so does mirroring the
    // counts and the Elo bounds (the second engine's view).
    EXPECT_NEAR(PentanomialLlr(pairs, 5, 0), -0.432548498559086, 1e-9);
    const Pentanomial mirrored{{6, 34, 60, 27, 3}};
    EXPECT_NEAR(PentanomialLlr(mirrored, -5, 0), -0.432548498559086, 1e-9);
}

TEST(SeriesStatistics, PentanomialLlrStaysFiniteOnOneSidedResults) {
    EXPECT_EQ(PentanomialLlr({}, 0, 5), 0.0);
    EXPECT_EQ(PentanomialLlr({{0, 0, 9, 0, 0}}, 0, 0), 0.0);

    const double allWins = PentanomialLlr({{0, 0, 0, 0, 50}}, 0, 5);
    const double allLosses = PentanomialLlr({{50, 0, 0, 0, 0}}, 0, 5);
    const double allDraws = PentanomialLlr({{0, 0, 50, 0, 0}}, 0, 5);
    EXPECT_TRUE(std::isfinite(allWins) && allWins > 0.0) << allWins;
    EXPECT_TRUE(std::isfinite(allLosses) && allLosses < 0.0) << allLosses;
    // Drawn pairs all round speak for H0 (score 0.5), and ever more firmly.
    EXPECT_TRUE(std::isfinite(allDraws) && allDraws < 0.0) << allDraws;
    EXPECT_LT(PentanomialLlr({{0, 0, 500, 0, 0}}, 0, 5), allDraws);
    // Far-off bounds: no NaN, no throw.
    EXPECT_EQ(PentanomialLlr({{1, 2, 3, 2, 1}}, 0, 1e6), 0.0);
    EXPECT_TRUE(std::isfinite(PentanomialLlr({{1, 2, 3, 2, 1}}, -1500, 1500)));
}

TEST(SeriesStatistics, PentanomialCountsPairsByPoints) {
    Pentanomial pairs;
    for (const double points : {0.0, 0.5, 1.0, 1.0, 1.5, 2.0, 2.0, 2.0}) {
        pairs.AddPair(points);
    }
    EXPECT_EQ(pairs.counts, (std::array<std::int64_t, 5>{1, 1, 2, 1, 3}));
    EXPECT_EQ(pairs.Pairs(), 8);
    EXPECT_NEAR(pairs.Score(), (0.0 + 0.5 + 2.0 + 1.5 + 6.0) / 16.0, 1e-15);
    EXPECT_THROW(pairs.AddPair(0.75), std::invalid_argument);
    EXPECT_THROW(pairs.AddPair(2.5), std::invalid_argument);
    EXPECT_THROW(pairs.AddPair(-0.5), std::invalid_argument);
    EXPECT_THROW(pairs.AddPair(std::nan("")), std::invalid_argument);

    pairs += Pentanomial{{1, 0, 0, 0, 1}};
    EXPECT_EQ(pairs.counts, (std::array<std::int64_t, 5>{2, 1, 2, 1, 4}));
    GameTally games{3, 2, 1};
    games += GameTally{1, 1, 1};
    EXPECT_EQ(games.Games(), 9);
}

} // namespace
} // namespace skerrow::series
