// The rules of a game, each case once: after an end that the first or the
// second side scored, after a blank end, and at the last end of a game.
#include "game_rules.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace skerrow;

TEST(NextEnd, TheSideThatScoredDeliversFirstAndABlankEndKeepsTheOrder) {
    const struct {
        const char* end;
        int first;    // the colour that delivered first in the end
        int endScore; // as the library counts it: positive for that side
        int redScore; // as SCORE gives it
        int next;     // the colour that delivers first in the next end
    } rows[] = {
        {"red first, red scores", kRed, 2, 2, kRed},
        {"red first, yellow scores", kRed, -1, -1, kYellow},
        {"yellow first, yellow scores", kYellow, 3, -3, kYellow},
        {"yellow first, red scores", kYellow, -1, 1, kRed},
        {"blank, red first", kRed, 0, 0, kRed},
        {"blank, yellow first", kYellow, 0, 0, kYellow},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(RedScore(row.first, row.endScore), row.redScore) << row.end;
        EXPECT_EQ(FirstToDeliverNext(row.first, row.endScore), row.next) << row.end;
    }
}

TEST(NextEnd, SidesAlternateWithinAnEnd) {
    EXPECT_EQ(ColourToDeliver(kRed, 0), kRed);
    EXPECT_EQ(ColourToDeliver(kRed, 15), kYellow);
    EXPECT_EQ(ColourToDeliver(kYellow, 0), kYellow);
    EXPECT_EQ(ColourToDeliver(kYellow, 7), kRed);
}

TEST(Tally, EachEndsPointsGoToTheSideThatScored) {
    const std::vector<int> game = {2, 0, -3, 1, 0, -1};
    const Points points = Tally(game);
    EXPECT_EQ(points.red, 3);
    EXPECT_EQ(points.yellow, 4);
    EXPECT_EQ(Tally({}).red, 0);

    // Results at the edges of 32 bits add up in 64; the sanitized build
    // aborts on any overflow.
    const std::vector<int> extremes(kEnds, INT_MAX);
    EXPECT_EQ(Tally(extremes).red, 10LL * INT_MAX);
    const std::vector<int> lowest = {INT_MIN, INT_MIN};
    EXPECT_EQ(Tally(lowest).yellow, 2LL * 2147483648LL);
}

TEST(ScoreState, AScoreSetsTheEndsItGivesUpToTheLastOne) {
    GameState state = EmptySheet();
    state.endScores[5] = 7;
    const std::vector<int> afterThree = {1, 0, -2};
    ApplyEndScores(state, afterThree);
    EXPECT_EQ(state.endScores[0], 1);
    EXPECT_EQ(state.endScores[2], -2);
    EXPECT_EQ(state.endScores[5], 7); // not given: kept

    // After the last end every entry is set; results beyond it have none.
    std::vector<int> eleven(kEnds + 1, 0);
    eleven[kEnds - 1] = 4;
    eleven[kEnds] = 9;
    ApplyEndScores(state, eleven);
    EXPECT_EQ(state.endScores[5], 0);
    EXPECT_EQ(state.endScores[kEnds - 1], 4);
}

TEST(UnplayedEnds, OnlyAShortGameHasEndsAfterItsLastEnd) {
    EXPECT_FALSE(IsUnplayedEnd(2, 2));
    EXPECT_TRUE(IsUnplayedEnd(3, 2));
    EXPECT_TRUE(IsUnplayedEnd(kEnds, 1));
    EXPECT_FALSE(IsUnplayedEnd(kEnds, kEnds)); // a full game: every end is played
    EXPECT_TRUE(IsUnplayedEnd(kEnds, kEnds - 1));
    for (const int odd : {0, -1, kEnds + 1, INT_MAX, INT_MIN}) {
        EXPECT_FALSE(IsUnplayedEnd(kEnds, odd)) << odd;
    }
}

TEST(EmptySheet, HoldsNoStoneAndStartsTheGame) {
    GameState state = EmptySheet(5);
    EXPECT_EQ(state.lastEnd, 5);
    EXPECT_EQ(state.currentEnd, 0);
    EXPECT_EQ(state.shotNumber, 0);
    EXPECT_EQ(state.turnFlag, kRed);
    for (const StonePosition& stone : state.stones) {
        EXPECT_FALSE(HoldsStone(stone));
    }
    EXPECT_EQ(EmptySheet().lastEnd, kEnds);

    // An end begins on an empty sheet; the rest of the position stays.
    state.currentEnd = 3;
    state.endScores[2] = -1;
    state.stones[15] = {kTeeX, 0.0f};
    EXPECT_TRUE(HoldsStone(state.stones[15]));
    ClearSheet(state);
    EXPECT_FALSE(HoldsStone(state.stones[15]));
    EXPECT_EQ(state.currentEnd, 3);
    EXPECT_EQ(state.endScores[2], -1);
}
