// The window as a board, driven as a user drives it on the offscreen
// platform: the column during a scripted game, a server record stepped
// through, positions saved and opened, trial shots, flip and zoom. With
// SKERROW_PICTURE_DIR set, the game and the record are also saved as the
// README's pictures.
#include "board_column.h"
#include "fake_prompts.h"
#include "game_rules.h"
#include "history_panel.h"
#include "match_numbers.h"
#include "position_file.h"
#include "refereed_game.h"
#include "relay_session.h"
#include "skerrow_dlg.h"
#include "window_test_support.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <sstream>
#include <string>

namespace skerrow {
namespace {

using test::FakePrompts;
using test::LoopbackServer;
using test::WaitFor;
using test::Z;

QImage ViewA(const CSkerrowDlg& window) {
    return qobject_cast<QLabel*>(window.Control(CSkerrowDlg::kViewAId))->pixmap().toImage();
}

class BoardWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        DlgSetup setup;
        setup.imageFolder =
            QDir(QStringLiteral(SKERROW_BIN_DIR)).filePath(QStringLiteral("System/Image"));
        setup.libraryFolder = QStringLiteral(TARNWICK_DIR);
        setup.logBase = m_folder.path().toStdString();
        setup.connectionSettingsFile = m_folder.filePath(QStringLiteral("Connection.ini"));
        setup.preferencesFile = m_folder.filePath(QStringLiteral("preferences.ini"));
        m_window = std::make_unique<CSkerrowDlg>(setup, m_prompts);
        ASSERT_TRUE(m_window->Initialise());
        m_window->show();
    }

    QString Label(const char* name) const {
        return m_window->findChild<QLabel*>(QString::fromLatin1(name))->text();
    }
    QString CommandText() const { return m_window->ControlText(CSkerrowDlg::kCommandLineId); }

    void Connect(LoopbackServer& server) {
        m_window->ConnectTo({"127.0.0.1", server.port(), "abcd", "pass1", "Alice"});
        ASSERT_TRUE(server.Accept());
        server.ReadUntil(Z("LOGIN abcd pass1 Alice"));
        ASSERT_TRUE(WaitFor([this] { return m_window->session()->isConnected(); }));
    }
    // Sends `messages` and waits until the last is shown and nothing moves.
    void Feed(LoopbackServer& server, const std::vector<std::string>& messages) {
        QByteArray bytes;
        for (const std::string& message : messages) {
            bytes += Z(message.c_str());
        }
        server.Send(bytes);
        const QString last = QStringLiteral("Server: ") + QString::fromStdString(messages.back());
        ASSERT_TRUE(WaitFor([&] {
            return m_window->ControlText(CSkerrowDlg::kServerMessageId) == last &&
                   m_window->isIdle();
        }));
    }
    QString WriteFile(const QString& name, const std::string& text) {
        const QString path = m_folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.data(), static_cast<qint64>(text.size()));
        return path;
    }
    void SavePicture(const char* name) {
        const QByteArray folder = qgetenv("SKERROW_PICTURE_DIR");
        const QImage picture = m_window->grab().toImage();
        EXPECT_FALSE(picture.isNull());
        if (!folder.isEmpty()) {
            EXPECT_TRUE(picture.save(QDir(QString::fromLocal8Bit(folder)).filePath(name)));
        }
    }

    QTemporaryDir m_folder;
    FakePrompts m_prompts;
    std::unique_ptr<CSkerrowDlg> m_window;
};

// A game from a scripted server: the clocks from GO and from a second GO,
// the caption and the alert of this window's turn, the end's position held
// with its points, and the result at GAMEOVER.
TEST_F(BoardWindowTest, TheColumnFollowsAGameFromTheServer) {
    LoopbackServer server;
    Connect(server);
    QSignalSpy alerts(m_window.get(), &CSkerrowDlg::attentionRequested);
    Feed(server, {"NEWGAME Alice Bob", "SETSTATE 0 0 1 0", "GO 300000 240000"});
    EXPECT_EQ(Label("turnCaption"), QStringLiteral("あなたの番です"));
    EXPECT_EQ(alerts.count(), 1);
    EXPECT_EQ(Label("yellowClock"), QStringLiteral("4:00"));
    EXPECT_TRUE(Label("redClock") == QStringLiteral("5:00") ||
                Label("redClock") == QStringLiteral("4:59"));

    ShotVec draw{};
    ASSERT_EQ(m_window->physics().createShot()({kTeeX, kTeeY, 0}, &draw), 1);
    std::ostringstream runShot;
    runShot.precision(9);
    runShot << "RUNSHOT " << draw.vx << ' ' << draw.vy << " 0";
    // The user aims and sends: the delivery asked is kept with the shot.
    QTest::mouseClick(m_window->clientArea(), Qt::LeftButton, {}, QPoint(202, 280));
    auto* line = qobject_cast<QLineEdit*>(m_window->Control(CSkerrowDlg::kCommandLineId));
    QTest::keyClick(line, Qt::Key_Return);
    server.ReadUntil("BestShot");
    Feed(server, {runShot.str(), "POSITION 0 0 0 0", "SETSTATE 1 0 1 1"});
    ASSERT_EQ(m_window->board().history().shotCount(), 1u);
    EXPECT_TRUE(m_window->board().history().shotAt(0).asked.has_value());
    EXPECT_EQ(Label("turnCaption"), QStringLiteral("黄（Bob）の番です"));
    Feed(server, {"SETSTATE 2 0 1 0", "GO 291000 180000"});
    EXPECT_EQ(Label("yellowClock"), QStringLiteral("3:00"));
    EXPECT_TRUE(Label("redClock") == QStringLiteral("4:51") ||
                Label("redClock") == QStringLiteral("4:50"));
    EXPECT_EQ(alerts.count(), 2);

    // The end's last stone: its position stays after the next end's empty
    // sheet, ringed, with the points announced.
    Feed(server, {"POSITION 2.3 4.8 3.0 5.5", "SETSTATE 15 0 1 1", runShot.str(), "SCORE 1",
                  "POSITION", "SETSTATE 0 1 1 0"});
    const GameState& shown = m_window->ShownPosition();
    EXPECT_EQ(shown.shotNumber, kStonesPerEnd);
    EXPECT_TRUE(HoldsStone(shown.stones[15]));
    EXPECT_EQ(m_window->board().LastStone(m_window->gameState()), 15);
    EXPECT_TRUE(Label("announcement").startsWith(QStringLiteral("第1エンド: 赤 1 点")))
        << Label("announcement").toStdString();
    EXPECT_EQ(m_window->board().history().shotCount(), 2u);

    Feed(server, {"GAMEOVER"});
    EXPECT_EQ(Label("announcement"), QStringLiteral("試合終了\nAlice 1 - 0 Bob\nAlice の勝ち"));
    EXPECT_EQ(Label("turnCaption"), QStringLiteral("試合終了"));
}

// A record the server wrote, opened in the window: the list's keys step it,
// and view A shows each stored position exactly as the renderer draws it.
TEST_F(BoardWindowTest, SteppingARecordShowsTheStoredPositions) {
    const testing::RefereedGame game = testing::PlayRefereedGame(1);
    ASSERT_EQ(m_window->OpenBoardFile(WriteFile(QStringLiteral("game.jsonl"), game.record)),
              std::nullopt);
    const RinkRenderer renderer([] {
        RinkImages images;
        images.Load(QDir(QStringLiteral(SKERROW_BIN_DIR)).filePath(QStringLiteral("System/Image")));
        return images;
    }());
    QListWidget& list = *m_window->boardColumn()->historyPanel().list();
    list.setFocus();
    const GameHistory& history = m_window->board().history();
    for (std::size_t i = 1; i <= history.shotCount(); ++i) {
        QTest::keyClick(&list, Qt::Key_Down);
        ASSERT_EQ(history.viewIndex(), i);
        const GameState& stored = history.PositionAt(i);
        EXPECT_EQ(std::memcmp(&m_window->ShownPosition(), &stored, sizeof(GameState)), 0) << i;
        RinkExtras extras;
        extras.lastStone = history.shotAt(i - 1).shot;
        EXPECT_EQ(ViewA(*m_window), renderer.DrawRink(stored, -1, -1, stored, 0, extras).viewA)
            << i;
    }
    QTest::keyClick(&list, Qt::Key_Home);
    EXPECT_EQ(history.viewIndex(), 0u);
}

// 局面を保存 then 局面を開く: the same bytes, the same position.
TEST_F(BoardWindowTest, SaveThenOpenGivesTheSameBytes) {
    m_window->session()->SendUserLine("SETSTATE 5 2 10 1");
    m_window->session()->SendUserLine("SETPOSITION 2.1 4.7 1.9 5.2 3.3 9.9 2.5 3.5 1.25 6.125");
    const GameState live = m_window->ShownPosition();
    const QString first = m_folder.filePath(QStringLiteral("a.json"));
    const QString second = m_folder.filePath(QStringLiteral("b.json"));
    ASSERT_EQ(m_window->SaveBoardFile(first), std::nullopt);
    ASSERT_EQ(m_window->OpenBoardFile(first), std::nullopt);
    EXPECT_EQ(std::memcmp(&m_window->ShownPosition(), &live, sizeof(GameState)), 0);
    ASSERT_EQ(m_window->SaveBoardFile(second), std::nullopt);
    QFile a(first);
    QFile b(second);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_EQ(a.readAll(), b.readAll());
    // A file that is no position is refused with its reason, shown.
    EXPECT_NE(m_window->OpenBoardFile(WriteFile(QStringLiteral("x.json"), "{}\n")), std::nullopt);
    EXPECT_EQ(m_prompts.errors.size(), 1u);
}

// On an opened position with no server, an aimed shot sent with Enter is
// played on the board and replayed; undo gives the position back.
TEST_F(BoardWindowTest, ATrialShotChangesTheBoardAndUndoRestoresIt) {
    GameState start = EmptySheet();
    start.shotNumber = 2;
    start.stones[0] = {kTeeX, kTeeY};
    ASSERT_EQ(m_window->OpenBoardFile(WriteFile(QStringLiteral("p.json"), SavePosition(start))),
              std::nullopt);
    const GameState opened = m_window->ShownPosition();
    const QImage before = ViewA(*m_window);
    // Aim at the four-foot left of the tee and send with Enter.
    QTest::mouseClick(m_window->clientArea(), Qt::LeftButton, {}, QPoint(84 + 100, 36 + 240));
    ASSERT_TRUE(CommandText().startsWith(QStringLiteral("BESTSHOT")));
    EXPECT_FALSE(m_window->predictedPath().empty());
    auto* line = qobject_cast<QLineEdit*>(m_window->Control(CSkerrowDlg::kCommandLineId));
    QTest::keyClick(line, Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return m_window->isIdle(); }));
    const GameState after = m_window->ShownPosition();
    EXPECT_EQ(after.shotNumber, 3);
    EXPECT_TRUE(HoldsStone(after.stones[2]));
    EXPECT_NE(ViewA(*m_window), before);

    m_window->findChild<QAction*>(QStringLiteral("commandUndo"))->trigger();
    EXPECT_EQ(std::memcmp(&m_window->ShownPosition(), &opened, sizeof(GameState)), 0);
    EXPECT_EQ(ViewA(*m_window), before);
}

// Flipped, a click lands on the sheet point that the unflipped view shows
// under the mirrored pixel; the flip is remembered.
TEST_F(BoardWindowTest, FlipMapsClicksToTheSameSheetPointAndIsRemembered) {
    QTest::mouseClick(m_window->clientArea(), Qt::LeftButton, {}, QPoint(202, 280));
    const QString unflipped = CommandText();
    EXPECT_EQ(unflipped, QStringLiteral("BESTSHOT 2.365 4.890 0"));
    m_window->SetFlipped(true);
    const QPoint mirrored = RinkGeometry::DescribedToShownClient({202, 280}, {true, 100});
    QTest::mouseClick(m_window->clientArea(), Qt::LeftButton, {}, mirrored);
    EXPECT_EQ(CommandText(), unflipped);
    EXPECT_EQ(ViewA(*m_window).size(), QSize(237, 564));
    m_window.reset();
    SetUp();
    EXPECT_TRUE(m_window->viewOptions().flipped);
    EXPECT_TRUE(m_window->findChild<QAction*>(QStringLiteral("command32780"))->isChecked());
}

// At 200 % the views and the layout are twice as large; back at 100 % every
// control is at its pixel again.
TEST_F(BoardWindowTest, ZoomTwoHundredDoublesTheViewScale) {
    QWidget* viewA = m_window->Control(CSkerrowDlg::kViewAId);
    m_window->findChild<QAction*>(QStringLiteral("zoom200"))->trigger();
    EXPECT_EQ(m_window->viewOptions().zoomPercent, 200);
    EXPECT_EQ(ViewA(*m_window).size(), QSize(474, 1128));
    EXPECT_EQ(viewA->pos(), QPoint(168, 72));
    EXPECT_EQ(m_window->clientArea()->size(), QSize(668, 1534));
    // Either shown pixel of layout pixel (202, 280) aims where it does.
    QTest::mouseClick(m_window->clientArea(), Qt::LeftButton, {}, QPoint(168 + 236, 72 + 488));
    EXPECT_EQ(CommandText(), QStringLiteral("BESTSHOT 2.365 4.890 0"));
    QTest::mouseClick(m_window->clientArea(), Qt::LeftButton, {}, QPoint(168 + 237, 72 + 489));
    EXPECT_EQ(CommandText(), QStringLiteral("BESTSHOT 2.365 4.890 0"));
    // 75 % leaves room on a screen 768 pixels high for a title bar and a
    // task bar.
    m_window->SetZoom(75);
    QApplication::processEvents();
    EXPECT_EQ(viewA->pos(), QPoint(63, 27));
    EXPECT_LE(m_window->sizeHint().height(), 768 - 100);
    m_window->SetZoom(100);
    EXPECT_EQ(viewA->geometry(), QRect(84, 36, 237, 564));
    EXPECT_EQ(m_window->Control(CSkerrowDlg::kSendId)->geometry(), QRect(231, 729, 88, 21));
    EXPECT_EQ(m_window->clientArea()->size(), QSize(334, 767));
}

// The README's pictures: a game in progress, then a record stepped through.
TEST_F(BoardWindowTest, PicturesOfAGameAndARecord) {
    const testing::RefereedGame game = testing::PlayRefereedGame(2);
    LoopbackServer server;
    Connect(server);
    // Fed one turn at a time, each waited for: every stone is replayed.
    std::vector<std::string> messages;
    std::istringstream log(game.log);
    std::string line;
    int gos = 0;
    while (std::getline(log, line)) {
        if (line.rfind("Server: ", 0) != 0 || line == "Server: ISREADY") {
            continue;
        }
        messages.push_back(line.substr(8));
        if (line.rfind("Server: GO", 0) == 0) {
            Feed(server, messages);
            messages.clear();
            // Alice's turn in the second end, a few stones in.
            if (++gos == 10) {
                break;
            }
        }
    }
    EXPECT_EQ(Label("turnCaption"), QStringLiteral("あなたの番です"));
    EXPECT_GT(m_window->boardColumn()->historyPanel().rowCount(), 20u);
    QTest::mouseClick(m_window->clientArea(), Qt::LeftButton, {}, QPoint(84 + 95, 36 + 230));
    EXPECT_TRUE(m_window->board().ClockRunning(kRed));
    SavePicture("screenshot.png");
    QTest::mouseClick(m_window->clientArea(), Qt::RightButton, {}, QPoint(10, 10));

    ASSERT_EQ(m_window->OpenBoardFile(WriteFile(QStringLiteral("game.jsonl"), game.record)),
              std::nullopt);
    m_window->board().GoTo(27);
    SavePicture("screenshot-record.png");
}

} // namespace
} // namespace skerrow
