#include "match_report.h"
#include "protocol_words.h"

#include <gtest/gtest.h>

using skerrow::MatchReport;

namespace {

// What the report says of one server message, parsed as the relay parses it.
std::optional<std::string> Seen(MatchReport& report, std::string_view message) {
    return report.Observe(skerrow::Parse(skerrow::CutAtLineEnd(message)));
}

} // namespace

TEST(MatchReport, FollowsAGameFromStartToEnd) {
    MatchReport report;
    EXPECT_EQ(Seen(report, "NEWGAME Alice Bob"), "Game started: Alice (red) against Bob (yellow)");
    EXPECT_FALSE(Seen(report, "POSITION 2.3 4.8").has_value());
    EXPECT_EQ(Seen(report, "SCORE 2"), "End 1: Alice scores 2; Alice 2 - 0 Bob");
    EXPECT_EQ(Seen(report, "score 2 0"), "End 2: blank end; Alice 2 - 0 Bob");
    EXPECT_EQ(Seen(report, "SCORE 2 0 -3"), "End 3: Bob scores 3; Alice 2 - 3 Bob");
    EXPECT_FALSE(Seen(report, "SCORE").has_value());
    EXPECT_FALSE(report.gameOver());
    EXPECT_EQ(Seen(report, "GAMEOVER"), "Game over: Alice 2 - 3 Bob\n" + report.ScoreBoard());
    EXPECT_EQ(report.ScoreBoard(), "       |  1  2  3  4  5  6  7  8  9 10 |  T\n"
                                   "Alice  |  2  0  0                      |  2\n"
                                   "Bob    |  0  0  3                      |  3");
    EXPECT_TRUE(report.gameOver());
    EXPECT_EQ(report.redTotal(), 2);
    EXPECT_EQ(report.yellowTotal(), 3);

    // The next game starts afresh.
    Seen(report, "NEWGAME Bob Alice");
    EXPECT_FALSE(report.gameOver());
    EXPECT_EQ(report.redTotal(), 0);
}

TEST(MatchReport, BoardMarksEndsAfterTheLastEnd) {
    MatchReport report;
    Seen(report, "NEWGAME LongPlayerName B");
    Seen(report, "SETSTATE 0 0 2 0");
    Seen(report, "SCORE -1 0");
    EXPECT_EQ(report.ScoreBoard(), "               |  1  2  3  4  5  6  7  8  9 10 |  T\n"
                                   "LongPlayerName |  0  0  ―  ―  ―  ―  ―  ―  ―  ― |  0\n"
                                   "B              |  1  0  ―  ―  ―  ―  ―  ―  ―  ― |  1");
}

// Scores at the edges of 32 bits add up in 64 bits; the sanitized build
// aborts on any overflow.
TEST(MatchReport, ExtremeScoresDoNotOverflowTheTotals) {
    MatchReport report;
    Seen(report, "NEWGAME A B");
    EXPECT_EQ(Seen(report, "SCORE -2147483648"), "End 1: B scores 2147483648; A 0 - 2147483648 B");
    std::string ten = "SCORE";
    for (int i = 0; i < 10; ++i) {
        ten += " 2147483647";
    }
    Seen(report, ten);
    EXPECT_EQ(report.redTotal(), 21474836470);
    EXPECT_EQ(report.yellowTotal(), 0);
    EXPECT_NE(report.ScoreBoard().find("|21474836470"), std::string::npos) << report.ScoreBoard();
}

TEST(MatchReport, NamesAreShownWithoutControlCharacters) {
    MatchReport report;
    EXPECT_EQ(Seen(report, "NEWGAME \x1b]0;pwned\x07 B\r"),
              "Game started: \\x1b]0;pwned\\x07 (red) against B\\r (yellow)");
    EXPECT_EQ(report.ScoreBoard().find('\x1b'), std::string::npos);
}
