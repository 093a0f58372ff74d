// The board's column as the user sees it: the status panel follows the
// board presenter, and the history list's keys and clicks step the board.
#include "board_column.h"
#include "manual_clock.h"

#include "board_presenter.h"
#include "game_rules.h"
#include "history_panel.h"
#include "match_numbers.h"
#include "physics_binding.h"
#include "refereed_game.h"
#include "status_panel.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace skerrow {
namespace {

class BoardColumnTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_binding.Load());
        m_board.SetPhysics(
            {m_binding.simulation(), m_binding.createShot(), m_binding.createHitShot()},
            m_binding.simulationTrace());
        m_column.show();
    }
    QString Label(const char* name) const {
        return m_column.findChild<QLabel*>(QString::fromLatin1(name))->text();
    }

    PhysicsBinding m_binding{QStringLiteral(TARNWICK_DIR)};
    test::ManualClock m_clock;
    BoardPresenter m_board{m_clock};
    GameState m_live = EmptySheet();
    BoardColumn m_column{m_board, [this]() -> const GameState& { return m_live; }};
};

TEST_F(BoardColumnTest, StatusShowsClocksTurnAndStates) {
    m_board.OnGameStarted(QStringLiteral("Alice"), QStringLiteral("Bob"));
    m_board.OnTurn(kRed);
    m_board.OnGoReceived({125'000, 61'000});
    m_clock.now += 5'000;
    m_board.OnGoShown();
    m_column.Refresh();
    EXPECT_EQ(Label("redClock"), QStringLiteral("2:00"));
    EXPECT_EQ(Label("yellowClock"), QStringLiteral("1:01"));
    EXPECT_EQ(Label("redClockName"), QStringLiteral("Alice"));
    EXPECT_EQ(Label("turnCaption"), QStringLiteral("あなたの番です"));
    EXPECT_TRUE(Label("engineState").contains(QStringLiteral("手で打ちます")));
    m_board.SetRelayState(QStringLiteral("接続しています"), QStringLiteral("sample-engine"));
    m_board.SetEngineRunning(true);
    EXPECT_EQ(Label("connectionState"), QStringLiteral("サーバー: 接続しています"));
    EXPECT_EQ(Label("engineState"), QStringLiteral("エンジン: sample-engine が打ちます"));
}

// Arrow keys, Home, End and a click on the list step through an opened
// record; the marked row follows.
TEST_F(BoardColumnTest, ListKeysAndClicksStepTheBoard) {
    const testing::RefereedGame game = testing::PlayRefereedGame(1);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("game.jsonl"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(game.record.data(), static_cast<qint64>(game.record.size()));
    file.close();
    ASSERT_EQ(m_board.Open(path), std::nullopt);

    QListWidget& list = *m_column.historyPanel().list();
    // The start, the end's heading and sixteen shots.
    ASSERT_EQ(list.count(), 2 + kStonesPerEnd);
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Down);
    QTest::keyClick(&list, Qt::Key_Right);
    EXPECT_EQ(m_board.history().viewIndex(), 2u);
    EXPECT_EQ(list.currentRow(), 3);
    QTest::keyClick(&list, Qt::Key_Left);
    EXPECT_EQ(m_board.history().viewIndex(), 1u);
    QTest::keyClick(&list, Qt::Key_End);
    EXPECT_EQ(m_board.history().viewIndex(), std::size_t{kStonesPerEnd});
    QTest::keyClick(&list, Qt::Key_Home);
    EXPECT_EQ(m_board.history().viewIndex(), 0u);
    const QRect row = list.visualItemRect(list.item(6));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(m_board.history().viewIndex(), 5u);
    EXPECT_TRUE(Label("historyPlace").contains(QStringLiteral("5 / 16")))
        << Label("historyPlace").toStdString();
}

} // namespace
} // namespace skerrow
