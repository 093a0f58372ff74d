#include "score_board.h"

#include "display_test_support.h"
#include "rink_geometry.h"
#include "score_board_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <optional>
#include <string>

namespace skerrow::test {
namespace {

using Layout = ScoreBoardLayout;
using Expected = std::map<int, std::string>; // control id -> text; other cells not written

const std::string kBar = "\u2015";

int RedEnd(int end) {
    return Layout::kFirstRedEndId + end - 1;
}
int YellowEnd(int end) {
    return Layout::kFirstYellowEndId + end - 1;
}

// Bars in both rows for ends `first` to 10, added to `cells`.
Expected WithBars(Expected cells, int first) {
    for (int end = first; end <= 10; ++end) {
        cells[RedEnd(end)] = kBar;
        cells[YellowEnd(end)] = kBar;
    }
    return cells;
}

struct BoardCase {
    const char* name;
    int currentEnd;
    int lastEnd;
    std::array<int, 10> scores;
    Expected expected;
};

class ScoreBoardTable : public ::testing::TestWithParam<BoardCase> {};

TEST_P(ScoreBoardTable, WritesExactlyTheseCells) {
    const BoardCase& c = GetParam();
    GameState state = EmptyPosition();
    state.currentEnd = c.currentEnd;
    state.lastEnd = c.lastEnd;
    for (std::size_t k = 0; k < c.scores.size(); ++k) {
        state.endScores[k] = c.scores[k];
    }
    const ScoreBoardTexts texts = UpdateScoreBoard(state);
    for (int id = Layout::kFirstCellId; id <= Layout::kLastCellId; ++id) {
        SCOPED_TRACE(id);
        const std::optional<QString> text = texts.ForControl(id);
        const auto expected = c.expected.find(id);
        if (expected == c.expected.end()) {
            EXPECT_FALSE(text) << text->toStdString();
        } else {
            ASSERT_TRUE(text);
            EXPECT_EQ(text->toStdString(), expected->second);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScoreBoardTable,
    ::testing::Values(
        BoardCase{"NoEndCompleted", 0, 10, {}, {}},
        BoardCase{"ThreeEnds",
                  3,
                  10,
                  {2, -1, 0},
                  {{RedEnd(1), "2"},
                   {RedEnd(2), "0"},
                   {RedEnd(3), "0"},
                   {YellowEnd(1), "0"},
                   {YellowEnd(2), "1"},
                   {YellowEnd(3), "0"},
                   {Layout::kRedTotalId, "2"},
                   {Layout::kYellowTotalId, "1"}}},
        BoardCase{"YellowTakesTheFirstEnd",
                  1,
                  10,
                  {-3},
                  {{RedEnd(1), "0"},
                   {YellowEnd(1), "3"},
                   {Layout::kRedTotalId, "0"},
                   {Layout::kYellowTotalId, "3"}}},
        BoardCase{"LastEndEight", 0, 8, {}, WithBars({}, 9)},
        BoardCase{"LastEndOne", 0, 1, {}, WithBars({}, 2)},
        BoardCase{"LastEndNine", 0, 9, {}, WithBars({}, 10)},
        BoardCase{"LastEndTen", 0, 10, {}, {}}, BoardCase{"LastEndTwelve", 0, 12, {}, {}},
        BoardCase{"LastEndZero", 0, 0, {}, {}}, BoardCase{"LastEndNegative", 0, -4, {}, {}},
        BoardCase{"LastEndHuge", 0, INT_MAX, {}, {}},
        // Bars are written over the points of ends past the last end, but
        // their points still count in the totals.
        BoardCase{"BarsOverCompletedEnds",
                  10,
                  8,
                  {1, -2, 3, 0, 0, 0, 0, 0, 5, -4},
                  WithBars({{RedEnd(1), "1"},
                            {YellowEnd(1), "0"},
                            {RedEnd(2), "0"},
                            {YellowEnd(2), "2"},
                            {RedEnd(3), "3"},
                            {YellowEnd(3), "0"},
                            {RedEnd(4), "0"},
                            {YellowEnd(4), "0"},
                            {RedEnd(5), "0"},
                            {YellowEnd(5), "0"},
                            {RedEnd(6), "0"},
                            {YellowEnd(6), "0"},
                            {RedEnd(7), "0"},
                            {YellowEnd(7), "0"},
                            {RedEnd(8), "0"},
                            {YellowEnd(8), "0"},
                            {Layout::kRedTotalId, "9"},
                            {Layout::kYellowTotalId, "6"}},
                           9)},
        BoardCase{
            "ElevenEndsWritesOnlyBars", 11, 8, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, WithBars({}, 9)},
        BoardCase{"NegativeEnd", -1, 10, {4}, {}}, BoardCase{"LowestEnd", INT_MIN, 10, {4}, {}},
        BoardCase{"HighestEnd", INT_MAX, 10, {4}, {}},
        // Magnitudes and sums beyond 32 bits show in full.
        BoardCase{"ExtremeScores",
                  2,
                  10,
                  {INT_MIN, INT_MAX},
                  {{RedEnd(1), "0"},
                   {YellowEnd(1), "2147483648"},
                   {RedEnd(2), "2147483647"},
                   {YellowEnd(2), "0"},
                   {Layout::kRedTotalId, "2147483647"},
                   {Layout::kYellowTotalId, "2147483648"}}},
        BoardCase{"TenMaximalEnds",
                  10,
                  10,
                  {INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX,
                   INT_MAX},
                  [] {
                      Expected cells;
                      for (int end = 1; end <= 10; ++end) {
                          cells[RedEnd(end)] = "2147483647";
                          cells[YellowEnd(end)] = "0";
                      }
                      cells[Layout::kRedTotalId] = "21474836470";
                      cells[Layout::kYellowTotalId] = "0";
                      return cells;
                  }()}),
    [](const ::testing::TestParamInfo<BoardCase>& info) { return std::string(info.param.name); });

TEST(ScoreBoardTexts, CellsNotWrittenKeepWhatTheyShowed) {
    // The board still shows a finished match of ten ends.
    std::array<QString, Layout::kCellCount> shown;
    shown.fill(QStringLiteral("7"));
    // A new match has completed its first end.
    GameState state = EmptyPosition();
    state.currentEnd = 1;
    state.endScores[0] = 2;
    UpdateScoreBoard(state).ApplyTo(shown);

    const auto at = [&](int id) { return shown[static_cast<std::size_t>(id - 1012)]; };
    EXPECT_EQ(at(RedEnd(1)), QStringLiteral("2"));
    EXPECT_EQ(at(YellowEnd(1)), QStringLiteral("0"));
    EXPECT_EQ(at(Layout::kRedTotalId), QStringLiteral("2"));
    EXPECT_EQ(at(Layout::kYellowTotalId), QStringLiteral("0"));
    EXPECT_EQ(at(RedEnd(2)), QStringLiteral("7"));
    EXPECT_EQ(at(YellowEnd(10)), QStringLiteral("7"));
}

struct CaptionCase {
    int currentEnd;
    int shotNumber;
    int turnFlag;
    const char* caption;
};

class TurnCaption : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(TurnCaption, NamesEndShotAndColour) {
    const CaptionCase c = GetParam();
    GameState state = EmptyPosition();
    state.currentEnd = c.currentEnd;
    state.shotNumber = c.shotNumber;
    state.turnFlag = c.turnFlag;
    EXPECT_EQ(UpdateTurnCaption(state).toStdString(), c.caption);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TurnCaption,
    ::testing::Values(
        CaptionCase{0, 0, 0, "第1エンド\u3000赤 - 1投目"},
        CaptionCase{9, 15, 1, "第10エンド\u3000黄 - 16投目"},
        CaptionCase{2, 4, -5, "第3エンド\u3000黄 - 5投目"},
        CaptionCase{-1, -1, 0, "第0エンド\u3000赤 - 0投目"},
        CaptionCase{INT_MAX, INT_MAX, 1, "第2147483648エンド\u3000黄 - 2147483648投目"},
        CaptionCase{INT_MIN, INT_MIN, 0, "第-2147483647エンド\u3000赤 - -2147483647投目"}));

TEST(ScoreBoardLayout, ViewCornersFollowFromDialogUnits) {
    EXPECT_EQ(Layout::DialogToPixels(48, 24), RinkGeometry::kViewAOrigin);
    EXPECT_EQ(Layout::DialogToPixels(6, 24), RinkGeometry::kViewBOrigin);
}

TEST(ScoreBoardLayout, CellsRunLeftToRightWithoutOverlap) {
    for (int firstId : {Layout::kRedNameId, Layout::kYellowNameId}) {
        std::vector<int> row{firstId};
        const int firstEnd = firstId == Layout::kRedNameId ? RedEnd(1) : YellowEnd(1);
        for (int end = 0; end < 10; ++end) {
            row.push_back(firstEnd + end);
        }
        row.push_back(firstId == Layout::kRedNameId ? Layout::kRedTotalId : Layout::kYellowTotalId);
        for (std::size_t i = 0; i < row.size(); ++i) {
            SCOPED_TRACE(row[i]);
            const QRect cell = Layout::DialogToPixels(Layout::CellRect(row[i]));
            EXPECT_GT(cell.width(), 10);
            EXPECT_EQ(cell.height(), 12);
            if (i > 0) {
                const QRect before = Layout::DialogToPixels(Layout::CellRect(row[i - 1]));
                EXPECT_GT(cell.left(), before.right() + 1) << "cells need a gap for the grid";
            }
        }
    }
    EXPECT_EQ(Layout::CellRect(RedEnd(2)).width, 9);
    EXPECT_EQ(Layout::CellRect(YellowEnd(2)).width, 10);
    EXPECT_EQ(Layout::CellRect(Layout::kCaptionId).width, 0);
}

} // namespace
} // namespace skerrow::test
