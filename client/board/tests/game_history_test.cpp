#include "game_history.h"
#include "game_record_reader.h"
#include "match_numbers.h"
#include "protocol_words.h"
#include "refereed_game.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

namespace skerrow {
namespace {

// The stones as the record writes them: equal texts are the stored position.
std::string StonesText(const GameState& state) {
    std::string text;
    for (const StonePosition& stone : state.stones) {
        text += FormatReal(stone.x) + ' ' + FormatReal(stone.y) + ' ';
    }
    return text;
}

GameHistory HistoryOf(const std::string& record) {
    std::variant<GameHistory, BoardFileError> read = ReadGameRecord(record, "game.jsonl");
    if (const auto* error = std::get_if<BoardFileError>(&read)) {
        ADD_FAILURE() << error->Text();
        return GameHistory();
    }
    return std::get<GameHistory>(std::move(read));
}

TEST(GameHistory, StepsThroughARefereedGameShowingTheStoredPositions) {
    const testing::RefereedGame game = testing::PlayRefereedGame(2);
    GameHistory history = HistoryOf(game.record);
    ASSERT_EQ(history.shotCount(), game.positions.size());
    ASSERT_EQ(history.shotCount(), 2u * kStonesPerEnd);
    EXPECT_EQ(history.NameOf(kRed), "Alice");
    EXPECT_EQ(history.NameOf(kYellow), "Bob");
    ASSERT_TRUE(history.result().has_value());
    EXPECT_NE(history.result()->find("Alice"), std::string::npos);

    // Step from the first position to the last, one at a time.
    EXPECT_TRUE(history.isLive());
    EXPECT_TRUE(history.First());
    EXPECT_FALSE(history.isLive());
    EXPECT_EQ(history.viewedShot(), nullptr);
    EXPECT_EQ(StonesText(history.view()), StonesText(EmptySheet()));
    EXPECT_FALSE(history.Previous());
    for (std::size_t i = 0; i < game.positions.size(); ++i) {
        ASSERT_TRUE(history.Next());
        const HistoryShot& shot = *history.viewedShot();
        EXPECT_EQ(StonesText(history.view()), StonesText(game.positions[i])) << "stone " << i;
        EXPECT_EQ(shot.end, static_cast<int>(i) / kStonesPerEnd);
        EXPECT_EQ(shot.shot, static_cast<int>(i) % kStonesPerEnd);
        // An end begins on an empty sheet; within it each stone starts from
        // where the last one left the stones.
        EXPECT_EQ(StonesText(shot.before),
                  StonesText(shot.shot == 0 ? EmptySheet() : history.PositionAt(i)));
        EXPECT_TRUE(shot.asked.has_value());
        // Each end's last stone holds the end's result, as the referee
        // counted it (its position reports it for the side that began).
        if (shot.shot == kStonesPerEnd - 1) {
            ASSERT_TRUE(shot.endScore.has_value());
            EXPECT_EQ(history.view().shotNumber, kStonesPerEnd);
            EXPECT_EQ(history.view().endScores[shot.end], *shot.endScore);
            const int first = ColourToDeliver(shot.colour, shot.shot);
            EXPECT_EQ(*shot.endScore, RedScore(first, game.positions[i].endScores[shot.end]));
        } else {
            EXPECT_FALSE(shot.endScore.has_value());
            EXPECT_EQ(history.view().turnFlag, history.shotAt(i + 1).colour);
        }
    }
    EXPECT_TRUE(history.isLive());
    EXPECT_FALSE(history.Next());

    // Jumps, and back to the end.
    EXPECT_TRUE(history.GoTo(kStonesPerEnd + 3));
    EXPECT_EQ(history.viewedShot()->end, 1);
    EXPECT_EQ(history.viewedShot()->shot, 2);
    EXPECT_TRUE(history.Previous());
    EXPECT_EQ(history.viewIndex(), kStonesPerEnd + 2u);
    EXPECT_FALSE(history.GoTo(history.positionCount()));
    EXPECT_EQ(history.viewIndex(), kStonesPerEnd + 2u);
    EXPECT_TRUE(history.Last());
    EXPECT_TRUE(history.isLive());
    EXPECT_EQ(history.viewIndex(), history.shotCount());
}

TEST(GameHistory, LiveGameAppendsWhileAnEarlierPositionIsViewed) {
    GameHistory history;
    auto shotNumbered = [](int n) {
        HistoryShot shot;
        shot.shot = n;
        shot.before = EmptySheet();
        shot.before.shotNumber = n;
        shot.after = PositionAfterShot(shot.before, std::vector<StonePosition>{{1.0f, 5.0f}});
        return shot;
    };
    history.Append(shotNumbered(0));
    history.Append(shotNumbered(1));
    EXPECT_EQ(history.viewIndex(), 2u); // live: follows
    history.GoTo(1);
    history.Append(shotNumbered(2));
    EXPECT_EQ(history.viewIndex(), 1u); // stays where the user looks
    EXPECT_FALSE(history.isLive());
    EXPECT_EQ(history.viewedShot()->shot, 0);
    history.Last();
    history.Append(shotNumbered(3));
    EXPECT_EQ(history.viewIndex(), 4u);
    EXPECT_EQ(history.view().shotNumber, 4);
    EXPECT_EQ(history.view().stones[0].x, 1.0f);
}

} // namespace
} // namespace skerrow
