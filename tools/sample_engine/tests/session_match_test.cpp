// engine-series' match: two sessions in this process under the referee.
#include "session_match.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace sample_engine;
using skerrow::kRed;
using skerrow::kYellow;

namespace {

skerrow::MatchConfig Exact(int ends, int games) {
    skerrow::MatchConfig config;
    config.ends = ends;
    config.games = games;
    config.randomSize = 0.0f; // every delivery played exactly: the results are fixed
    return config;
}

EngineOptions Plain() {
    EngineOptions options;
    options.plain = true;
    return options;
}

} // namespace

// Two engines that play alike score alike by colour, whoever is red: the
// players swap colours every game and the referee's rules decide the ends.
TEST(SessionMatch, PlaysEveryGameWithColoursSwappedByTheRefereesRules) {
    EngineSession first(Plain());
    EngineSession second(Plain());
    std::ostringstream remarks;
    SessionMatch match(Exact(2, 2), {&first, &second}, {"first", "second"}, remarks);
    std::vector<int> toldGames;
    const std::vector<skerrow::GameResult> results =
        match.Play([&](const skerrow::GameResult& result) { toldGames.push_back(result.game); });

    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(toldGames, (std::vector<int>{1, 2}));
    EXPECT_EQ(results[0].names[kRed], "first");
    EXPECT_EQ(results[1].names[kRed], "second");
    EXPECT_EQ(results[0].points, results[1].points);
    EXPECT_GT(results[0].points[kRed] + results[0].points[kYellow], 0);
    EXPECT_FALSE(results[0].forfeited[kRed] || results[0].forfeited[kYellow]);
    // Both sent nothing but valid answers.
    EXPECT_EQ(remarks.str(), "");
}

TEST(SessionMatch, TheSampleEngineAnswersEveryGoInTime) {
    EngineOptions quick;
    quick.maxThinkMs = 5;
    EngineSession sample(quick);
    EngineSession plain(Plain());
    std::ostringstream remarks;
    skerrow::MatchConfig config = Exact(1, 1);
    config.randomSize = 0.1f;
    SessionMatch match(config, {&sample, &plain}, {"sample", "plain"}, remarks);
    const std::vector<skerrow::GameResult> results = match.Play();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(remarks.str(), "");
}
