// The board beside the relay, driven as the window drives it: the live
// game's clocks, turn, held end and result; a server record stepped through;
// positions saved and opened; trial shots with undo.
#include "board_presenter.h"
#include "manual_clock.h"

#include "game_rules.h"
#include "match_numbers.h"
#include "physics_binding.h"
#include "position_file.h"
#include "refereed_game.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace skerrow {
namespace {

bool SameBytes(const GameState& a, const GameState& b) {
    return std::memcmp(&a, &b, sizeof(GameState)) == 0;
}

class BoardPresenterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_binding.Load()) << m_binding.failureDetail().toStdString();
        m_board.SetPhysics(
            {m_binding.simulation(), m_binding.createShot(), m_binding.createHitShot()},
            m_binding.simulationTrace());
    }

    // The live position before stone `shot` of `end`, `turn` to deliver.
    GameState Live(int end, int shot, int turn) const {
        GameState state = EmptySheet();
        state.currentEnd = end;
        state.shotNumber = shot;
        state.turnFlag = turn;
        return state;
    }

    QString WriteFile(const QString& name, const std::string& text) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.data(), static_cast<qint64>(text.size()));
        return path;
    }

    PhysicsBinding m_binding{QStringLiteral(TARNWICK_DIR)};
    test::ManualClock m_clock{1'000'000};
    BoardPresenter m_board{m_clock};
    QTemporaryDir m_dir;
};

// GO gives both clocks; the side to deliver counts down, the other stays;
// a second GO for the other side sets both again.
TEST_F(BoardPresenterTest, ClocksRunFromEachGoForTheSideToDeliver) {
    m_board.OnGameStarted(QStringLiteral("Alice"), QStringLiteral("Bob"));
    EXPECT_EQ(m_board.ClockText(kRed), QStringLiteral("-:--"));
    m_board.OnTurn(kRed);
    m_board.OnGoReceived({300'000, 200'000});
    m_clock.now += 5'400;
    EXPECT_EQ(m_board.ClockText(kRed), QStringLiteral("4:54"));
    EXPECT_EQ(m_board.ClockText(kYellow), QStringLiteral("3:20"));
    EXPECT_TRUE(m_board.ClockRunning(kRed));
    EXPECT_FALSE(m_board.ClockRunning(kYellow));

    m_board.OnLivePosition(Live(0, 0, kRed));
    m_board.StopClocks(); // RUNSHOT arrives
    m_board.OnDelivered({0.05f, -2.4f, 0});
    m_clock.now += 3'000; // the replay: nobody's clock runs
    EXPECT_EQ(m_board.ClockText(kRed), QStringLiteral("4:54"));
    m_board.OnTurn(kYellow);
    m_board.OnGoReceived({294'000, 199'000});
    m_clock.now += 19'000;
    EXPECT_EQ(m_board.ClockText(kYellow), QStringLiteral("3:00"));
    EXPECT_EQ(m_board.ClockText(kRed), QStringLiteral("4:54"));
    EXPECT_TRUE(m_board.ClockRunning(kYellow));
}

// When GO comes to a window played by hand, it asks for attention and says
// so in its caption; with an engine it does not ask.
TEST_F(BoardPresenterTest, TurnOfAHandPlayedWindowAsksForAttention) {
    QSignalSpy alerts(&m_board, &BoardPresenter::alertRequested);
    m_board.OnGameStarted(QStringLiteral("Alice"), QStringLiteral("Bob"));
    const GameState live = Live(0, 1, kYellow);
    m_board.OnLivePosition(live);
    EXPECT_EQ(m_board.TurnText(live), QStringLiteral("黄（Bob）の番です"));
    m_board.OnGoShown();
    EXPECT_EQ(alerts.count(), 1);
    EXPECT_EQ(m_board.TurnText(live), QStringLiteral("あなたの番です"));
    EXPECT_EQ(m_board.TurnColour(live), kYellow);
    const GameState next = Live(0, 2, kRed);
    m_board.OnLivePosition(next);
    EXPECT_EQ(m_board.TurnText(next), QStringLiteral("赤（Alice）の番です"));

    m_board.SetEngineRunning(true);
    m_board.OnGoShown();
    EXPECT_EQ(alerts.count(), 1);
}

// The end's last stone leaves its position on the board, with its points
// announced, while the relay already shows the next end's empty sheet; the
// next stone delivered lets the live position through again.
TEST_F(BoardPresenterTest, EndsFinalPositionStaysWithItsPointsUntilTheNextStone) {
    m_board.OnGameStarted(QStringLiteral("Alice"), QStringLiteral("Bob"));
    GameState before = Live(0, 15, kYellow);
    before.stones[0] = {kTeeX + 0.1f, kTeeY};
    before.stones[2] = {kTeeX - 0.5f, kTeeY + 0.3f};
    m_board.OnLivePosition(before);
    ShotVec drawToTee{};
    ASSERT_TRUE(m_binding.CreateShot({kTeeX, 8.0f, 0}, drawToTee));
    m_board.OnDelivered(drawToTee);
    m_board.OnEndScored({{2}});
    GameState nextEnd = Live(1, 0, kYellow);
    nextEnd.endScores[0] = 2;
    m_board.OnLivePosition(nextEnd);

    const GameState& shown = m_board.ShownPosition(nextEnd);
    EXPECT_EQ(shown.stones[0].x, before.stones[0].x);
    EXPECT_TRUE(HoldsStone(shown.stones[15]));
    EXPECT_EQ(shown.shotNumber, kStonesPerEnd);
    EXPECT_EQ(m_board.LastStone(nextEnd), 15);
    EXPECT_TRUE(m_board.announcement().contains(QStringLiteral("第1エンド: 赤 2 点")))
        << m_board.announcement().toStdString();
    EXPECT_TRUE(m_board.announcement().contains(QStringLiteral("合計 赤 2 - 0 黄")));

    m_board.OnDelivered(drawToTee);
    EXPECT_TRUE(SameBytes(m_board.ShownPosition(nextEnd), nextEnd));
    EXPECT_TRUE(m_board.announcement().isEmpty());
}

TEST_F(BoardPresenterTest, GameOverShowsTheResultAndTheWinner) {
    m_board.OnGameStarted(QStringLiteral("Alice"), QStringLiteral("Bob"));
    GameState last = Live(2, 0, kRed);
    last.endScores[0] = 2;
    last.endScores[1] = -3;
    last.endScores[2] = -1;
    m_board.OnLivePosition(last);
    m_board.OnGameOver();
    EXPECT_EQ(m_board.result(), QStringLiteral("試合終了\nAlice 2 - 4 Bob\nBob の勝ち"));
    EXPECT_EQ(m_board.announcement(), m_board.result());
    EXPECT_EQ(m_board.TurnText(last), QStringLiteral("試合終了"));
    EXPECT_EQ(m_board.history().result(), m_board.result().toStdString());
}

// A record the server wrote, opened and stepped through, shows every stored
// position exactly, the stones as the referee's shots left them, and the
// live game goes on behind it.
TEST_F(BoardPresenterTest, SteppingAServerRecordShowsTheStoredPositions) {
    const testing::RefereedGame game = testing::PlayRefereedGame(1);
    const QString path = WriteFile(QStringLiteral("game.jsonl"), game.record);
    m_board.OnGameStarted(QStringLiteral("X"), QStringLiteral("Y"));
    const GameState live = Live(0, 3, kYellow);
    m_board.OnLivePosition(live);

    ASSERT_EQ(m_board.Open(path), std::nullopt);
    const GameHistory& history = m_board.history();
    ASSERT_EQ(history.shotCount(), game.positions.size());
    EXPECT_EQ(history.viewIndex(), 0u);
    for (std::size_t i = 1; i <= history.shotCount(); ++i) {
        ASSERT_TRUE(m_board.Next());
        const GameState& shown = m_board.ShownPosition(live);
        EXPECT_TRUE(SameBytes(shown, history.PositionAt(i))) << i;
        for (int s = 0; s < kStonesPerEnd; ++s) {
            // The record writes six decimals.
            EXPECT_NEAR(shown.stones[s].x, game.positions[i - 1].stones[s].x, 1e-6)
                << i << ' ' << s;
            EXPECT_NEAR(shown.stones[s].y, game.positions[i - 1].stones[s].y, 1e-6)
                << i << ' ' << s;
        }
        EXPECT_EQ(m_board.LastStone(live), history.shotAt(i - 1).shot);
    }
    EXPECT_FALSE(m_board.Next());
    // At the end's last stone the record's points are announced.
    EXPECT_TRUE(m_board.announcement().startsWith(QStringLiteral("第1エンド: ")))
        << m_board.announcement().toStdString();
    ASSERT_TRUE(m_board.First());
    EXPECT_TRUE(m_board.announcement().isEmpty());
    EXPECT_TRUE(SameBytes(m_board.ShownPosition(live), history.PositionAt(0)));
    ASSERT_TRUE(m_board.GoTo(5));
    QSignalSpy replays(&m_board, &BoardPresenter::replayRequested);
    ASSERT_TRUE(m_board.ReplayShown());
    ASSERT_EQ(replays.count(), 1);
    EXPECT_TRUE(SameBytes(replays.at(0).at(0).value<GameState>(), history.shotAt(4).before));

    // The rows name the ends, the sides and the points.
    const std::vector<HistoryRow> rows = m_board.HistoryRows();
    EXPECT_EQ(rows[1].text, QStringLiteral("第1エンド"));
    EXPECT_TRUE(rows[2].text.startsWith(QStringLiteral("1投目 赤 Alice")))
        << rows[2].text.toStdString();
    EXPECT_TRUE(rows.back().text.contains(QStringLiteral("→"))) << rows.back().text.toStdString();

    m_board.ReturnToLiveGame();
    EXPECT_TRUE(SameBytes(m_board.ShownPosition(live), live));
}

// A position saved, opened and saved again gives the same bytes, and the
// opened position is the one saved.
TEST_F(BoardPresenterTest, SaveThenOpenGivesTheSamePositionByteForByte) {
    GameState live = Live(3, 7, kYellow);
    live.endScores[0] = 1;
    live.endScores[2] = -2;
    live.stones[0] = {2.1f, 4.7f};
    live.stones[3] = {1.234567f, 6.5f};
    live.stones[6] = {3.3f, 9.9f};
    m_board.OnLivePosition(live);
    const QString first = m_dir.filePath(QStringLiteral("first.json"));
    const QString second = m_dir.filePath(QStringLiteral("second.json"));
    ASSERT_EQ(m_board.Save(first, live), std::nullopt);
    ASSERT_EQ(m_board.Open(first), std::nullopt);
    EXPECT_TRUE(SameBytes(m_board.ShownPosition(EmptySheet()), live));
    ASSERT_EQ(m_board.Save(second, EmptySheet()), std::nullopt);
    QFile a(first);
    QFile b(second);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());

    EXPECT_NE(m_board.Open(m_dir.filePath(QStringLiteral("missing.json"))), std::nullopt);
    const QString broken = WriteFile(QStringLiteral("broken.json"), "{\"stones\": [1,");
    const std::optional<QString> error = m_board.Open(broken);
    ASSERT_TRUE(error);
    EXPECT_TRUE(error->contains(QStringLiteral("broken.json"))) << error->toStdString();
}

// On an opened position with no link a shot is played locally: the board
// changes and shows it, undo gives back the position; with a link, no trial.
TEST_F(BoardPresenterTest, LocalShotChangesTheBoardAndUndoRestoresIt) {
    GameState start = Live(0, 4, kRed);
    start.stones[0] = {kTeeX, kTeeY};
    const QString path = WriteFile(QStringLiteral("p.json"), SavePosition(start));
    ASSERT_EQ(m_board.Open(path), std::nullopt);
    const GameState opened = m_board.ShownPosition(EmptySheet());
    ASSERT_TRUE(m_board.canTry());
    ShotVec draw{};
    ASSERT_TRUE(m_binding.CreateShot({kTeeX - 0.6f, kTeeY + 0.3f, 1}, draw));
    QSignalSpy replays(&m_board, &BoardPresenter::replayRequested);
    ASSERT_EQ(m_board.Try(draw), std::nullopt);
    const GameState after = m_board.ShownPosition(EmptySheet());
    EXPECT_FALSE(SameBytes(after, opened));
    EXPECT_EQ(after.shotNumber, 5);
    EXPECT_TRUE(HoldsStone(after.stones[4]));
    EXPECT_EQ(m_board.LastStone(EmptySheet()), 4);
    ASSERT_EQ(replays.count(), 1);
    EXPECT_TRUE(SameBytes(replays.at(0).at(0).value<GameState>(), opened));

    ASSERT_TRUE(m_board.Undo());
    EXPECT_TRUE(SameBytes(m_board.ShownPosition(EmptySheet()), opened));
    EXPECT_FALSE(m_board.Undo());

    m_board.SetConnected(true);
    EXPECT_FALSE(m_board.canTry());
    EXPECT_NE(m_board.Try(draw), std::nullopt);
}

} // namespace
} // namespace skerrow
