// The report on a series' outcomes: which engine's view, pairs counted only
// when both games are played, forfeits, times, the SPRT, and the forms it is
// printed in.
#include "series_report.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace skerrow::match_runner;

namespace {

// Game `number` between `first` and `second` (colours by the game's leg),
// won by `winner` (an engine name; empty for a draw).
GameOutcome Game(int number, const std::string& first, const std::string& second,
                 const std::string& winner, bool forfeit = false) {
    GameOutcome game;
    game.number = number;
    const bool firstRed = LegOfGame(number) == 0;
    game.names = firstRed ? std::array<std::string, 2>{first, second}
                          : std::array<std::string, 2>{second, first};
    if (!winner.empty()) {
        game.winner = game.names[0] == winner ? 0 : 1;
        game.points[*game.winner] = 3;
        game.forfeited[1 - *game.winner] = forfeit;
    }
    game.thinkingMs = {800, 80};
    game.answers = {8, 8};
    return game;
}

std::map<int, GameOutcome> Games(const std::vector<GameOutcome>& list) {
    std::map<int, GameOutcome> games;
    for (const GameOutcome& game : list) {
        games[game.number] = game;
    }
    return games;
}

TEST(SeriesReport, CountsPairsByTheFirstEnginesPointsAndOnlyWhenBothGamesArePlayed) {
    const SeriesReport report = MakeReport(
        Games({
            Game(1, "new", "old", "new"), Game(2, "new", "old", "new"),       // pair 0: 2 points
            Game(3, "new", "old", "old"), Game(4, "new", "old", ""),          // pair 1: 0.5
            Game(5, "new", "old", "new"), Game(6, "new", "old", "old", true), // pair 2: 1
            Game(7, "new", "old", "new"),                                     // pair 3: half played
        }),
        {"new", "old"}, std::nullopt);
    EXPECT_EQ(report.games, 7);
    EXPECT_EQ(report.pairs, 3);
    ASSERT_EQ(report.pairings.size(), 1u);
    const PairingReport& row = report.pairings.front();
    EXPECT_EQ(row.first, "new");
    EXPECT_EQ(row.games.wins, 4);
    EXPECT_EQ(row.games.losses, 2);
    EXPECT_EQ(row.games.draws, 1);
    EXPECT_EQ(row.pairs.counts, (std::array<std::int64_t, 5>{0, 1, 1, 0, 1}));
    EXPECT_EQ(row.forfeits, (std::array<std::int64_t, 2>{1, 0}));
    // Red thinks 100 ms a stone and yellow 10 in every game; each engine is
    // red in half of them but for the unpaired game 7.
    ASSERT_TRUE(row.msPerStone[0] && row.msPerStone[1]);
    EXPECT_NEAR(*row.msPerStone[0], (4 * 100.0 + 3 * 10.0) / 7, 1e-9);
    EXPECT_GT(row.elo.value, 0.0);
}

TEST(SeriesReport, SortsPairingsInCommandLineOrderAndTestsOnlyTheFirst) {
    SprtOptions sprt;
    sprt.elo0 = 0;
    sprt.elo1 = 10;
    const SeriesReport report = MakeReport(Games({Game(1, "b", "c", "b"), Game(2, "b", "c", "b"),
                                                  Game(3, "a", "b", "b"), Game(4, "a", "b", "a")}),
                                           {"a", "b", "c"}, sprt);
    ASSERT_EQ(report.pairings.size(), 2u);
    EXPECT_EQ(report.pairings[0].first, "a");
    EXPECT_EQ(report.pairings[1].first, "b");
    ASSERT_TRUE(report.sprt);
    EXPECT_EQ(report.sprt->decision, skerrow::series::SprtDecision::Continue);
    EXPECT_LT(report.sprt->bounds.lower, 0.0);
}

TEST(SeriesReport, PrintsTheTableTheProgressLineAndJson) {
    SprtOptions sprt;
    const SeriesReport report = MakeReport(
        Games({Game(1, "new", "old", "new"), Game(2, "new", "old", "old")}), {"new", "old"}, sprt);
    const std::string table = ReportTable(report);
    EXPECT_NE(table.find("new vs old"), std::string::npos) << table;
    EXPECT_NE(table.find("1-1-0"), std::string::npos) << table;
    EXPECT_NE(table.find("0/0/1/0/0"), std::string::npos) << table;
    EXPECT_NE(table.find("no decision yet"), std::string::npos) << table;
    const std::string line = ProgressLine(report, 10);
    EXPECT_EQ(line.rfind("games 2/10  W-L-D 1-1-0  Elo ", 0), 0u) << line;
    EXPECT_NE(line.find("LLR "), std::string::npos) << line;
    EXPECT_EQ(line.find('\n'), std::string::npos);

    // One-sided results have infinite Elo, which JSON cannot hold as a number.
    const SeriesReport sweep =
        MakeReport(Games({Game(1, "new", "old", "new"), Game(2, "new", "old", "new")}),
                   {"new", "old"}, std::nullopt);
    const nlohmann::json json =
        nlohmann::json::parse(ReportJson(sweep, {{"seed", "18446744073709551615"}}));
    EXPECT_EQ(json.at("seed").get<std::uint64_t>(), 18446744073709551615ULL);
    EXPECT_EQ(json.at("pairings").at(0).at("elo"), "+inf");
    EXPECT_EQ(json.at("pairings").at(0).at("pentanomial").at(4), 1);
    EXPECT_FALSE(json.contains("sprt"));
}

} // namespace
