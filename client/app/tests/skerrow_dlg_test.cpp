// The main window on the offscreen platform: its layout and first texts, the
// start-up failures, a match as a scripted server plays it, replays, the
// readiness question, the Send button, the mouse, the menu and the close.
#include "about_dlg.h"
#include "connect_dlg.h"
#include "executable_file_filter.h"
#include "fake_prompts.h"
#include "match_numbers.h"
#include "relay_session.h"
#include "rink_images.h"
#include "skerrow_dlg.h"
#include "window_test_support.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// Engines written as /bin/sh scripts run where there is a POSIX shell; a
// Windows build of these tests skips the ones that start such an engine.
#if defined(Q_OS_WIN)
#define SKIP_WITHOUT_POSIX_SHELL()                                                                 \
    GTEST_SKIP() << "starts its engine as a /bin/sh script, which Windows cannot run"
#else
#define SKIP_WITHOUT_POSIX_SHELL() static_cast<void>(0)
#endif

namespace skerrow {
namespace {

using test::FakePrompts;
using test::LoopbackServer;
using test::WaitFor;
using test::Z;
using Layout = ScoreBoardLayout;

QString ImageFolder() {
    return QDir(QStringLiteral(SKERROW_BIN_DIR)).filePath(QStringLiteral("System/Image"));
}

QImage ViewA(const CSkerrowDlg& window) {
    return qobject_cast<QLabel*>(window.Control(CSkerrowDlg::kViewAId))->pixmap().toImage();
}

bool IsRed(QColor c) {
    return c.red() > 150 && c.green() < 110 && c.blue() < 110;
}

bool IsYellow(QColor c) {
    return c.red() > 150 && c.green() > 140 && c.blue() < 110;
}

class WindowTest : public ::testing::Test {
protected:
    DlgSetup Setup() const {
        DlgSetup setup;
        setup.imageFolder = ImageFolder();
        setup.libraryFolder = QStringLiteral(TARNWICK_DIR);
        setup.logBase = m_folder.path().toStdString();
        setup.connectionSettingsFile = m_folder.filePath(QStringLiteral("Connection.ini"));
        setup.preferencesFile = m_folder.filePath(QStringLiteral("preferences.ini"));
        return setup;
    }

    // A window made ready and shown, as the program does it.
    std::unique_ptr<CSkerrowDlg> Open() {
        auto window = std::make_unique<CSkerrowDlg>(Setup(), m_prompts);
        EXPECT_TRUE(window->Initialise());
        window->show();
        return window;
    }

    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        m_window = Open();
    }

    QString Text(int id) const { return m_window->ControlText(id); }
    QLineEdit& CommandLine() const {
        return *qobject_cast<QLineEdit*>(m_window->Control(CSkerrowDlg::kCommandLineId));
    }
    QPushButton& SendButton() const {
        return *qobject_cast<QPushButton*>(m_window->Control(CSkerrowDlg::kSendId));
    }
    QAction* Command(const char* objectName) const {
        return m_window->findChild<QAction*>(QString::fromLatin1(objectName));
    }

    // Connects the window to `server` and reads the login.
    void ConnectTo(LoopbackServer& server) {
        ConnectionSettings settings{"127.0.0.1", server.port(), "abcd", "pass1", "Bot"};
        m_window->ConnectTo(settings);
        ASSERT_TRUE(server.Accept());
        ASSERT_TRUE(
            server.ReadUntil(Z("LOGIN abcd pass1 Bot")).endsWith(Z("LOGIN abcd pass1 Bot")));
        ASSERT_TRUE(WaitFor([this] { return m_window->session()->isConnected(); }));
    }

    // A shell script in the test's folder, made executable: an engine. The
    // tests that use one begin with SKIP_WITHOUT_POSIX_SHELL().
    QString Script(const QString& name, const QByteArray& body) const {
        const QString path = m_folder.filePath(name);
        QFile script(path);
        EXPECT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\n" + body);
        script.close();
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
        return path;
    }

    // Types `line` into the command line and clicks Send.
    void TypeAndSend(const QString& line) {
        CommandLine().setText(line);
        QTest::mouseClick(&SendButton(), Qt::LeftButton);
    }

    QTemporaryDir m_folder;
    FakePrompts m_prompts;
    std::unique_ptr<CSkerrowDlg> m_window;
};

// --- Start-up and layout ------------------------------------------------------

TEST_F(WindowTest, StartsWithTheLayoutTextsAndAnEmptyScoreBoard) {
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Skerrow - 未接続"));
    EXPECT_EQ(Text(CSkerrowDlg::kServerMessageId), QStringLiteral("Server:"));
    EXPECT_EQ(Text(Layout::kCaptionId), QStringLiteral("第1エンド\u3000赤 - 1投目"));
    for (int id = Layout::kRedNameId; id <= Layout::kLastCellId; ++id) {
        EXPECT_EQ(Text(id), QString()) << "control " << id;
    }
    EXPECT_EQ(Text(CSkerrowDlg::kCommandLineId), QString());
    EXPECT_EQ(Text(CSkerrowDlg::kSendId), QStringLiteral("送信"));
    EXPECT_TRUE(SendButton().isEnabled());
    EXPECT_TRUE(m_prompts.errors.empty());
    EXPECT_TRUE(m_window->physics().isLoaded());
}

TEST_F(WindowTest, ControlsSitAtTheirPixelRectanglesBelowTheMenu) {
    QWidget* client = m_window->clientArea();
    EXPECT_EQ(client->size(), QSize(334, 767));
    // The client area starts right under the menu bar, which shifts nothing.
    EXPECT_EQ(client->mapTo(m_window.get(), QPoint(0, 0)),
              QPoint(0, m_window->menuBar()->geometry().bottom() + 1));
    // Not resizable.
    EXPECT_EQ(m_window->minimumSize(), m_window->maximumSize());

    const RinkImages images = [] {
        RinkImages loaded;
        EXPECT_TRUE(loaded.Load(ImageFolder()));
        return loaded;
    }();
    EXPECT_EQ(m_window->Control(CSkerrowDlg::kViewAId)->geometry(),
              QRect(QPoint(84, 36), images.rinkA().size()));
    EXPECT_EQ(m_window->Control(CSkerrowDlg::kViewBId)->geometry(),
              QRect(QPoint(11, 36), images.rinkB().size()));
    EXPECT_EQ(m_window->Control(CSkerrowDlg::kScorePictureId)->geometry(),
              QRect(QPoint(11, 612), images.score().size()));
    EXPECT_EQ(m_window->Control(Layout::kCaptionId)->geometry(), QRect(208, 14, 111, 12));
    EXPECT_EQ(m_window->Control(CSkerrowDlg::kServerMessageId)->geometry(),
              QRect(11, 711, 304, 12));
    EXPECT_EQ(m_window->Control(CSkerrowDlg::kCommandLineId)->geometry(), QRect(11, 729, 210, 21));
    EXPECT_EQ(m_window->Control(CSkerrowDlg::kSendId)->geometry(), QRect(231, 729, 88, 21));
    for (int id = Layout::kRedNameId; id <= Layout::kLastCellId; ++id) {
        EXPECT_EQ(m_window->Control(id)->geometry(), Layout::DialogToPixels(Layout::CellRect(id)))
            << "control " << id;
        // Above the board's picture, not hidden under it.
        EXPECT_TRUE(m_window->Control(id)->isVisible());
    }
}

TEST_F(WindowTest, EveryTextButTheCaptionStandsOnWhite) {
    const QImage client = m_window->clientArea()->grab().toImage();
    auto pixelIn = [&](int id, QPoint offsetFromRight) {
        const QRect rect = m_window->Control(id)->geometry();
        return client.pixelColor(rect.topRight() + offsetFromRight);
    };
    // Far right in each control, where no text reaches.
    EXPECT_EQ(pixelIn(Layout::kRedNameId, {-1, 5}), QColor(Qt::white));
    EXPECT_EQ(pixelIn(Layout::kFirstRedEndId, {-1, 5}), QColor(Qt::white));
    EXPECT_EQ(pixelIn(Layout::kYellowTotalId, {-1, 5}), QColor(Qt::white));
    EXPECT_EQ(pixelIn(CSkerrowDlg::kServerMessageId, {-2, 5}), QColor(Qt::white));
    EXPECT_EQ(pixelIn(Layout::kCaptionId, {-1, 5}),
              m_window->clientArea()->palette().color(QPalette::Window));
    EXPECT_NE(m_window->clientArea()->palette().color(QPalette::Window), QColor(Qt::white));
}

TEST_F(WindowTest, EnterSendsAndEscapeClosesNothing) {
    CommandLine().setText(QStringLiteral("SETSTATE 1 2 10 1"));
    QTest::keyClick(&CommandLine(), Qt::Key_Return);
    QTest::keyClick(&CommandLine(), Qt::Key_Enter);
    QTest::keyClick(m_window.get(), Qt::Key_Escape);
    EXPECT_TRUE(m_window->isVisible());
    // Enter sends the line, as the button does.
    EXPECT_EQ(Text(CSkerrowDlg::kCommandLineId), QString());
    EXPECT_EQ(m_window->gameState().currentEnd, 2);
}

TEST(WindowStartUp, AMissingScoreBoardPictureEndsTheStartBeforeTheLibraryIsLoaded) {
    QTemporaryDir images;
    ASSERT_TRUE(images.isValid());
    const QDir built(ImageFolder());
    for (const QString& name : built.entryList(QDir::Files)) {
        if (name != QLatin1String(RinkImages::kScoreFile)) {
            ASSERT_TRUE(QFile::copy(built.filePath(name), images.filePath(name)));
        }
    }
    DlgSetup setup;
    setup.imageFolder = images.path();
    setup.libraryFolder = QStringLiteral(TARNWICK_DIR);
    FakePrompts prompts;
    CSkerrowDlg window(setup, prompts);

    EXPECT_FALSE(window.Initialise());
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.errors[0].title, QStringLiteral("エラー"));
    EXPECT_EQ(prompts.errors[0].text, QStringLiteral("グラフィックの読み込みに失敗しました"));
    EXPECT_FALSE(window.physics().isLoaded());
    EXPECT_FALSE(window.isVisible());
}

TEST(WindowStartUp, AMissingPhysicsLibraryIsReportedOnceAndFailsTheStart) {
    QTemporaryDir emptyFolder;
    ASSERT_TRUE(emptyFolder.isValid());
    DlgSetup setup;
    setup.imageFolder = ImageFolder();
    setup.libraryFolder = emptyFolder.path();
    setup.libraryBaseName = QStringLiteral("TarnwickNowhere");
    FakePrompts prompts;
    CSkerrowDlg window(setup, prompts);

    EXPECT_FALSE(window.Initialise());
    ASSERT_EQ(prompts.errors.size(), 1u);
    EXPECT_EQ(prompts.errors[0].title, QStringLiteral("エラー"));
    EXPECT_EQ(prompts.errors[0].text,
              PhysicsBinding::PlatformFileName(QStringLiteral("TarnwickNowhere")) +
                  QStringLiteral(" の読み込みに失敗しました"));
    // The steps before the library ran: the score board is empty.
    EXPECT_EQ(window.ControlText(Layout::kRedNameId), QString());
    EXPECT_EQ(window.ControlText(CSkerrowDlg::kServerMessageId), QStringLiteral("Server:"));
}

// --- A match from a scripted server -------------------------------------------

TEST_F(WindowTest, NamesCaptionScoreBoardAndStonesFollowTheServer) {
    LoopbackServer server;
    ConnectTo(server);
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Skerrow - 接続"));

    server.Send(Z("NEWGAME Alice Bob") + Z("SETSTATE 0 2 8 0") +
                Z("POSITION 2.375 4.88 1.5 3.0 2.0 6.0") + Z("SCORE 2 -1"));
    ASSERT_TRUE(WaitFor([&] {
        return Text(CSkerrowDlg::kServerMessageId) == QStringLiteral("Server: SCORE 2 -1");
    }));

    EXPECT_EQ(Text(Layout::kRedNameId), QStringLiteral("Alice"));
    EXPECT_EQ(Text(Layout::kYellowNameId), QStringLiteral("Bob"));
    // Three numbers' worth of stones: shot 3 is next, and it is yellow's.
    EXPECT_EQ(Text(Layout::kCaptionId), QStringLiteral("第3エンド\u3000黄 - 4投目"));

    // Two ends played: 2 for red, then 1 for yellow; the match ends after 8.
    const std::vector<std::pair<int, QString>> cells{
        {1012, "2"}, {1013, "0"}, {1014, ""},  {1022, "2"}, {1023, "0"}, {1024, "1"}, {1025, ""},
        {1033, "1"}, {1019, ""},  {1020, "―"}, {1021, "―"}, {1031, "―"}, {1032, "―"},
    };
    for (const auto& [id, text] : cells) {
        EXPECT_EQ(Text(id), text) << "control " << id;
    }

    // Stones in view A: stone 0 on the tee is red, stone 1 yellow.
    const QImage view = ViewA(*m_window);
    EXPECT_TRUE(IsRed(view.pixelColor(118, 243))) << view.pixelColor(118, 243).name().toStdString();
    EXPECT_TRUE(IsYellow(view.pixelColor(75, 150)))
        << view.pixelColor(75, 150).name().toStdString();

    server.Close();
    ASSERT_TRUE(WaitFor([this] { return !m_window->session()->isConnected(); }));
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Skerrow - 未接続（接続が切れました）"));
}

// A second game with new names shows an empty board, not the first game's
// points.
TEST_F(WindowTest, ASecondGameStartsWithAnEmptyScoreBoard) {
    LoopbackServer server;
    ConnectTo(server);
    server.Send(Z("NEWGAME Alice Bob") + Z("SETSTATE 0 3 10 0") + Z("SCORE 5 7 12") +
                Z("GAMEOVER") + Z("NEWGAME Carol Dave") + Z("SETSTATE 0 0 4 0"));
    ASSERT_TRUE(WaitFor([&] {
        return Text(CSkerrowDlg::kServerMessageId) == QStringLiteral("Server: SETSTATE 0 0 4 0");
    }));
    EXPECT_EQ(Text(Layout::kRedNameId), QStringLiteral("Carol"));
    EXPECT_EQ(Text(Layout::kCaptionId), QStringLiteral("第1エンド\u3000赤 - 1投目"));
    for (const int first : {Layout::kFirstRedEndId, Layout::kFirstYellowEndId}) {
        // Ends past the new game's fourth are marked as not played.
        for (int end = 1; end <= kEnds; ++end) {
            EXPECT_EQ(Text(first + end - 1), end > 4 ? QStringLiteral("―") : QString())
                << "control " << first + end - 1;
        }
    }
    EXPECT_EQ(Text(Layout::kRedTotalId), QString());
    EXPECT_EQ(Text(Layout::kYellowTotalId), QString());
}

TEST_F(WindowTest, TheServersShotIsReplayedBeforeTheNextPositionIsShown) {
    ShotVec draw{};
    ASSERT_EQ(m_window->physics().createShot()(ShotPos{kTeeX, kTeeY, 0}, &draw), 1);
    LoopbackServer server;
    ConnectTo(server);
    server.Send(Z("NEWGAME Alice Bob") + Z("POSITION 1.0 3.0"));
    ASSERT_TRUE(WaitFor([this] { return m_window->gameState().shotNumber == 1; }));

    int frames = 0;
    int framesWithNewPosition = 0;
    int framesWithSendEnabled = 0;
    QObject::connect(m_window.get(), &CSkerrowDlg::replayFrameShown, m_window.get(), [&](int) {
        ++frames;
        const GameState& shown = m_window->gameState();
        if (shown.shotNumber != 1 || shown.stones[1].x != 0.0f) {
            ++framesWithNewPosition;
        }
        if (SendButton().isEnabled()) {
            ++framesWithSendEnabled;
        }
    });
    bool ended = false;
    QObject::connect(m_window.get(), &CSkerrowDlg::replayEnded, m_window.get(),
                     [&] { ended = true; });

    const QByteArray runShot = QStringLiteral("RUNSHOT %1 %2 0")
                                   .arg(double(draw.vx), 0, 'f', 6)
                                   .arg(double(draw.vy), 0, 'f', 6)
                                   .toLatin1();
    server.Send(Z(runShot.constData()) + Z("POSITION 1.0 3.0 2.375 4.88"));
    ASSERT_TRUE(WaitFor([&] { return ended; }));

    EXPECT_GT(frames, 10);
    EXPECT_EQ(framesWithNewPosition, 0);
    EXPECT_EQ(framesWithSendEnabled, 0);
    // The held position came right after the replay.
    EXPECT_EQ(m_window->gameState().shotNumber, 2);
    EXPECT_FLOAT_EQ(m_window->gameState().stones[1].x, 2.375f);
    EXPECT_TRUE(SendButton().isEnabled());
    EXPECT_TRUE(m_window->isIdle());
}

TEST_F(WindowTest, TheReadinessQuestionHoldsTheServerUntilAnswered) {
    LoopbackServer server;
    ConnectTo(server);
    server.Send(Z("NEWGAME Alice Bob") + Z("ISREADY") + Z("SETSTATE 5 1 10 1"));
    QMessageBox* box = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        box = m_window->findChild<QMessageBox*>(QStringLiteral("readyBox"));
        return box != nullptr && box->isVisible();
    }));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("ISREADY"));
    EXPECT_EQ(box->text(), QStringLiteral("ゲームを開始します"));
    // Not modal to the application: the relay goes on running meanwhile.
    EXPECT_NE(box->windowModality(), Qt::ApplicationModal);

    // Give the relay every chance to act too early.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(Text(Layout::kCaptionId), QStringLiteral("第1エンド\u3000赤 - 1投目"));
    EXPECT_FALSE(server.Received().contains(Z("READYOK")));

    box->button(QMessageBox::Ok)->click();
    EXPECT_TRUE(server.ReadUntil(Z("READYOK")).endsWith(Z("READYOK")));
    ASSERT_TRUE(WaitFor(
        [&] { return Text(Layout::kCaptionId) == QStringLiteral("第2エンド\u3000黄 - 6投目"); }));
}

TEST_F(WindowTest, SendHandsTheCommandLineToTheRelayAndEmptiesIt) {
    LoopbackServer server;
    ConnectTo(server);
    TypeAndSend(QStringLiteral("HELLO 1"));
    EXPECT_EQ(Text(CSkerrowDlg::kCommandLineId), QString());
    EXPECT_TRUE(server.ReadUntil(Z("HELLO 1")).endsWith(Z("HELLO 1")));
    // An empty line goes as a single zero byte.
    TypeAndSend(QString());
    EXPECT_TRUE(server.ReadUntil(Z("HELLO 1") + '\0').endsWith(Z("HELLO 1") + '\0'));
}

TEST_F(WindowTest, ALongCommandLineIsCutBetweenCharacters) {
    LoopbackServer server;
    ConnectTo(server);
    // 1,021 bytes, then a three-byte character that would end at byte 1,024.
    const QString line = QStringLiteral("X") + QString(1020, QLatin1Char('a')) +
                         QStringLiteral("投") + QStringLiteral("tail");
    TypeAndSend(line);
    const QByteArray expected = "X" + QByteArray(1020, 'a') + '\0';
    EXPECT_EQ(server.ReadUntil(expected).mid(Z("LOGIN abcd pass1 Bot").size()), expected);
}

TEST_F(WindowTest, ALocalReplayDisablesSendUntilItEndsAndKeepsThePosition) {
    bool ended = false;
    QObject::connect(m_window.get(), &CSkerrowDlg::replayEnded, m_window.get(),
                     [&] { ended = true; });
    TypeAndSend(QStringLiteral("DRAWSHOT 2.375 4.88 0"));
    EXPECT_TRUE(m_window->isReplayRunning());
    EXPECT_FALSE(SendButton().isEnabled());
    EXPECT_FALSE(m_window->isIdle());

    ASSERT_TRUE(WaitFor([&] { return ended; }));
    EXPECT_TRUE(SendButton().isEnabled());
    EXPECT_FALSE(m_window->isReplayRunning());
    // The shot was only shown: the position is as before, while the views
    // keep the last frame, the stone come to rest on the tee.
    EXPECT_EQ(m_window->gameState().shotNumber, 0);
    EXPECT_EQ(m_window->gameState().stones[0].x, 0.0f);
    EXPECT_TRUE(IsRed(ViewA(*m_window).pixelColor(118, 243)));
    // The next repaint shows the position again.
    m_window->Repaint();
    EXPECT_FALSE(IsRed(ViewA(*m_window).pixelColor(118, 243)));
}

TEST_F(WindowTest, ClosingDuringAReplayStopsIt) {
    int framesAfterClose = 0;
    bool closed = false;
    QObject::connect(m_window.get(), &CSkerrowDlg::replayFrameShown, m_window.get(),
                     [&](int) { framesAfterClose += closed ? 1 : 0; });
    TypeAndSend(QStringLiteral("DRAWSHOT 2.375 4.88 0"));
    ASSERT_TRUE(m_window->isReplayRunning());
    EXPECT_TRUE(m_window->close());
    closed = true;
    EXPECT_FALSE(m_window->isReplayRunning());
    // Whatever the replay had posted before it was stopped is delivered now.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(framesAfterClose, 0);
    m_window.reset();
}

// --- Mouse, menu, preferences -------------------------------------------------

TEST_F(WindowTest, AimingWritesTheCommandAndSendRemovesTheMarker) {
    const QImage plain = ViewA(*m_window);
    QTest::mouseClick(m_window->clientArea(), Qt::LeftButton, {}, QPoint(202, 280));
    EXPECT_EQ(Text(CSkerrowDlg::kCommandLineId), QStringLiteral("BESTSHOT 2.365 4.890 0"));
    const QImage aimed = ViewA(*m_window);
    // The curl icons and the aiming line are drawn into view A.
    EXPECT_NE(aimed.pixelColor(35, 529), plain.pixelColor(35, 529));
    EXPECT_NE(aimed, plain);

    // A repaint removes the marker but keeps the text.
    m_window->Repaint();
    EXPECT_EQ(ViewA(*m_window), plain);
    EXPECT_EQ(Text(CSkerrowDlg::kCommandLineId), QStringLiteral("BESTSHOT 2.365 4.890 0"));

    // The aim still counts as shown: a right press hides it and empties the
    // line, another shows it again as it was.
    QTest::mouseClick(m_window->clientArea(), Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(Text(CSkerrowDlg::kCommandLineId), QString());
    EXPECT_EQ(ViewA(*m_window), plain);
    QTest::mouseClick(m_window->clientArea(), Qt::RightButton, {}, QPoint(10, 10));
    EXPECT_EQ(Text(CSkerrowDlg::kCommandLineId), QStringLiteral("BESTSHOT 2.365 4.890 0"));
    EXPECT_EQ(ViewA(*m_window), aimed);

    // Picking the right curl icon, then sending: the line goes, and so does
    // the marker.
    QTest::mouseClick(m_window->clientArea(), Qt::LeftButton, {}, QPoint(285, 565));
    EXPECT_EQ(Text(CSkerrowDlg::kCommandLineId), QStringLiteral("BESTSHOT 2.365 4.890 1"));
    QTest::mouseClick(&SendButton(), Qt::LeftButton);
    EXPECT_EQ(Text(CSkerrowDlg::kCommandLineId), QString());
    EXPECT_EQ(ViewA(*m_window), plain);
}

TEST_F(WindowTest, TheMenuHasItsCommandsAndTheAboutBoxOpens) {
    const std::vector<std::pair<const char*, QString>> commands{
        {"command32777", "局面を開く(&O)"},
        {"command32778", "局面を保存(&S)"},
        {"command32774", "閉じる(&C)"},
        {"command32776", "接続(&C)"},
        {"command32783", "エンジンの選択(&E)"},
        {"command32780", "上下反転(&R)"},
        {"command32781", "使い方(&H)"},
        {"command32775", "バージョン情報(&A)"},
        {"command16", "バージョン情報 Skerrow(&A)..."},
    };
    for (const auto& [name, text] : commands) {
        QAction* action = Command(name);
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->text(), text) << name;
        EXPECT_TRUE(action->isEnabled()) << name;
    }
    QStringList menus;
    for (QAction* menu : m_window->menuBar()->actions()) {
        menus << menu->text();
    }
    EXPECT_EQ(menus, QStringList({"ファイル(&F)", "ゲーム(&G)", "表示(&V)", "ヘルプ(&H)"}));

    // 局面を開く and 局面を保存 ask for a file, 使い方 shows the help page, 上下反転
    // turns the views; nothing blocks the window.
    Command("command32777")->trigger();
    auto* fileDialog = m_window->findChild<QFileDialog*>(QStringLiteral("boardFileDialog"));
    ASSERT_NE(fileDialog, nullptr);
    EXPECT_EQ(fileDialog->acceptMode(), QFileDialog::AcceptOpen);
    fileDialog->reject();
    ASSERT_TRUE(WaitFor([&] {
        return m_window->findChild<QFileDialog*>(QStringLiteral("boardFileDialog")) == nullptr;
    }));
    Command("command32778")->trigger();
    fileDialog = m_window->findChild<QFileDialog*>(QStringLiteral("boardFileDialog"));
    ASSERT_NE(fileDialog, nullptr);
    EXPECT_EQ(fileDialog->acceptMode(), QFileDialog::AcceptSave);
    fileDialog->reject();
    Command("command32781")->trigger();
    auto* help = m_window->findChild<QDialog*>(QStringLiteral("helpDialog"));
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    help->close();
    Command("command32780")->trigger();
    EXPECT_TRUE(m_window->viewOptions().flipped);
    Command("command32780")->trigger();
    EXPECT_FALSE(m_window->viewOptions().flipped);
    EXPECT_TRUE(m_window->isVisible());

    for (const char* name : {"command32775", "command16"}) {
        Command(name)->trigger();
        auto* about = m_window->findChild<CAboutDlg*>();
        ASSERT_NE(about, nullptr) << name;
        EXPECT_TRUE(about->isVisible());
        EXPECT_EQ(about->windowTitle(), QStringLiteral("バージョン情報 - Skerrow"));
        about->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        ASSERT_TRUE(WaitFor([&] { return m_window->findChild<CAboutDlg*>() == nullptr; }));
    }

    Command("command32774")->trigger();
    EXPECT_FALSE(m_window->isVisible());
}

TEST_F(WindowTest, ConnectingThroughTheDialogLogsIn) {
    LoopbackServer server;
    Command("command32776")->trigger();
    auto* dialog = m_window->findChild<QDialog*>();
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit*>(QStringLiteral("address"))->setText(QStringLiteral("127.0.0.1"));
    dialog->findChild<QLineEdit*>(QStringLiteral("port"))->setText(QString::number(server.port()));
    dialog->findChild<QLineEdit*>(QStringLiteral("id"))->setText(QStringLiteral("abcd"));
    dialog->findChild<QLineEdit*>(QStringLiteral("password"))->setText(QStringLiteral("pass1"));
    dialog->findChild<QLineEdit*>(QStringLiteral("displayName"))->setText(QStringLiteral("Bot"));
    m_prompts.answerYes = true; // go on without an engine
    dialog->findChild<QPushButton*>(QStringLiteral("connectButton"))->click();

    ASSERT_TRUE(server.Accept());
    EXPECT_TRUE(server.ReadUntil(Z("LOGIN abcd pass1 Bot")).endsWith(Z("LOGIN abcd pass1 Bot")));
    ASSERT_TRUE(
        WaitFor([this] { return m_window->windowTitle() == QStringLiteral("Skerrow - 接続"); }));
    ASSERT_EQ(m_prompts.questions.size(), 1u);
    // Remembered for next time, without the password.
    const QSettings stored(m_folder.filePath(QStringLiteral("Connection.ini")),
                           QSettings::IniFormat);
    EXPECT_EQ(stored.value(QStringLiteral("System/ID")).toString(), QStringLiteral("abcd"));
    QFile ini(m_folder.filePath(QStringLiteral("Connection.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_FALSE(ini.readAll().contains("pass1"));

    // Opening the dialog again and cancelling it leaves the link and the
    // relay exactly as they were.
    server.Send(Z("NEWGAME Alice Bob"));
    ASSERT_TRUE(WaitFor([&] { return Text(Layout::kRedNameId) == QStringLiteral("Alice"); }));
    Command("command32776")->trigger();
    auto* again = m_window->findChild<CConnectDlg*>();
    ASSERT_NE(again, nullptr);
    ASSERT_TRUE(again->isVisible());
    EXPECT_TRUE(m_window->session()->isConnected()); // while it is open, too
    again->reject();
    EXPECT_TRUE(m_window->session()->isConnected());
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Skerrow - 接続"));
    EXPECT_TRUE(SendButton().isEnabled());
    TypeAndSend(QStringLiteral("HELLO after cancel"));
    EXPECT_TRUE(server.ReadUntil(Z("HELLO after cancel")).endsWith(Z("HELLO after cancel")));
    server.Send(Z("SETSTATE 3 1 10 1"));
    ASSERT_TRUE(WaitFor(
        [&] { return Text(Layout::kCaptionId) == QStringLiteral("第2エンド\u3000黄 - 4投目"); }));
    // The game's log goes on too.
    const QStringList logs = QDir(m_folder.filePath(QStringLiteral("Log"))).entryList(QDir::Files);
    ASSERT_EQ(logs.size(), 1);
    QFile log(m_folder.filePath(QStringLiteral("Log/") + logs.first()));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), QByteArray("Server: NEWGAME Alice Bob\nClient: HELLO after cancel\n"
                                        "Server: SETSTATE 3 1 10 1\n"));
}

// While trying, the window says so; a failed attempt, a lost link and a
// request that gave up are said with their reason, in the status line and
// the title, the last two also in a message the user dismisses.
TEST_F(WindowTest, ConnectionFailuresAreShownWithTheirReason) {
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        closedPort = probe.serverPort();
    }
    const QString closed = QStringLiteral("127.0.0.1:%1").arg(closedPort);
    ConnectionSettings refused{"127.0.0.1", closedPort, "abcd", "pass1", "Bot"};
    m_window->ConnectTo(refused);
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Skerrow - 接続中…"));
    EXPECT_EQ(m_window->statusText(), QStringLiteral("接続中… ") + closed);
    ASSERT_TRUE(WaitFor([&] { return m_window->statusText().contains(QStringLiteral("再試行")); }));
    EXPECT_TRUE(m_window->statusText().contains(QStringLiteral("Connection refused")))
        << m_window->statusText().toStdString();
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Skerrow - 接続中…"));

    // The link is lost mid-game.
    LoopbackServer server;
    ConnectTo(server);
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Skerrow - 接続"));
    server.Send(Z("NEWGAME Alice Bob"));
    server.Close();
    ASSERT_TRUE(WaitFor([&] { return !m_window->session()->isConnected(); }));
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Skerrow - 未接続（接続が切れました）"));
    EXPECT_TRUE(m_window->statusText().startsWith(QStringLiteral("接続が切れました: ")))
        << m_window->statusText().toStdString();
    auto* box = m_window->findChild<QMessageBox*>(QStringLiteral("linkBox"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_NE(box->windowModality(), Qt::ApplicationModal);
    EXPECT_TRUE(box->text().contains(QStringLiteral("接続が切れました")));

    // Once a link has ended, a refused attempt gives up at once.
    m_window->ConnectTo(refused);
    ASSERT_TRUE(WaitFor([&] {
        return m_window->windowTitle() ==
               QStringLiteral("Skerrow - 未接続（接続できませんでした）");
    }));
    EXPECT_TRUE(m_window->statusText().contains(QStringLiteral("Connection refused")));
    EXPECT_TRUE(box->text().contains(QStringLiteral("接続できませんでした"))) << "the same box";
    EXPECT_TRUE(m_window->isIdle());
    box->button(QMessageBox::Ok)->click();
    ASSERT_TRUE(WaitFor([&] { return m_window->findChild<QMessageBox*>() == nullptr; }));
}

TEST_F(WindowTest, AnEngineChosenFromTheMenuNamesTheTitle) {
    SKIP_WITHOUT_POSIX_SHELL();
    const QString engine = Script(QStringLiteral("quiet-engine.sh"), "exec cat >/dev/null\n");

    Command("command32783")->trigger();
    auto* dialog = m_window->findChild<QFileDialog*>(QStringLiteral("engineDialog"));
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(engine);
    // As the Open button does.
    ASSERT_TRUE(QMetaObject::invokeMethod(dialog, "accept"));
    EXPECT_EQ(m_window->windowTitle(), QStringLiteral("quiet-engine - 未接続"));
    EXPECT_TRUE(m_window->session()->isEngineRunning());
    EXPECT_TRUE(m_prompts.errors.empty());
}

// The engine gets the server's messages as they arrive, GO included, while a
// replay paced at real time still runs; the window shows GO once it ends.
TEST_F(WindowTest, AnEngineGetsGoWhileAPacedReplayRuns) {
    SKIP_WITHOUT_POSIX_SHELL();
    const QString heard = m_folder.filePath(QStringLiteral("heard.bin"));
    const QString engine = Script(QStringLiteral("listening-engine.sh"), "exec cat >\"$1\"\n");
    m_window->StartEngine(engine, {heard});
    Command("speedRealTime")->trigger();
    ShotVec draw{};
    ASSERT_EQ(m_window->physics().createShot()(ShotPos{kTeeX, kTeeY, 0}, &draw), 1);
    const QByteArray runShot = QStringLiteral("RUNSHOT %1 %2 0")
                                   .arg(double(draw.vx), 0, 'f', 6)
                                   .arg(double(draw.vy), 0, 'f', 6)
                                   .toLatin1();
    LoopbackServer server;
    ConnectTo(server);
    server.Send(Z("NEWGAME Alice Bob") + Z(runShot.constData()) + Z("POSITION 2.375 4.88") +
                Z("SETSTATE 1 0 10 1") + Z("GO 300000 300000"));
    const auto heardGo = [&] {
        QFile file(heard);
        return file.open(QIODevice::ReadOnly) && file.readAll().contains(Z("GO 300000 300000"));
    };
    ASSERT_TRUE(WaitFor(heardGo));
    // The draw takes some 25 s at real time: it has only begun.
    EXPECT_TRUE(m_window->isReplayRunning());
    EXPECT_EQ(Text(CSkerrowDlg::kServerMessageId), QString::fromLatin1("Server: " + runShot));

    bool ended = false;
    QObject::connect(m_window.get(), &CSkerrowDlg::replayEnded, m_window.get(),
                     [&] { ended = true; });
    Command("speedAsDrawn")->trigger();
    ASSERT_TRUE(WaitFor([&] { return ended; }));
    EXPECT_EQ(Text(CSkerrowDlg::kServerMessageId), QStringLiteral("Server: GO 300000 300000"));
}

// What the engine prints while nothing is asked is said in the status line.
TEST_F(WindowTest, AnEngineLineWhileNothingIsAskedIsShown) {
    SKIP_WITHOUT_POSIX_SHELL();
    const QString engine =
        Script(QStringLiteral("chatty-engine.sh"), "echo 'loading weights'\nexec cat >/dev/null\n");
    m_window->StartEngine(engine);
    ASSERT_TRUE(WaitFor(
        [&] { return m_window->statusText().contains(QStringLiteral("「loading weights」")); }));
}

// A replay that the library refuses is said, and holds nothing back: the
// server's next position is shown at once.
TEST_F(WindowTest, ARefusedReplayIsShownAndHoldsNothingBack) {
    TypeAndSend(QStringLiteral("SETRAND inf"));
    EXPECT_TRUE(m_window->statusText().contains(QStringLiteral("SETRAND inf")));
    LoopbackServer server;
    ConnectTo(server);
    server.Send(Z("NEWGAME Alice Bob") + Z("SETSTATE 16 0 10 0") + Z("RUNSHOT 0.1 -3 0") +
                Z("POSITION 1.0 3.0") + Z("SETSTATE 1 0 10 1"));
    ASSERT_TRUE(WaitFor([&] { return m_window->gameState().shotNumber == 1; }));
    EXPECT_TRUE(m_window->statusText().startsWith(QStringLiteral("再生できません")))
        << m_window->statusText().toStdString();
    EXPECT_TRUE(SendButton().isEnabled());
    EXPECT_TRUE(m_window->isIdle());
}

TEST_F(WindowTest, TheReplaySpeedIsRememberedBetweenRuns) {
    EXPECT_EQ(m_window->replaySpeed(), ReplaySpeed::AsDrawn);
    EXPECT_TRUE(Command("speedAsDrawn")->isChecked());
    Command("speedDouble")->trigger();
    EXPECT_EQ(m_window->replaySpeed(), ReplaySpeed::Double);
    EXPECT_FALSE(Command("speedAsDrawn")->isChecked());
    m_window.reset();

    m_window = Open();
    EXPECT_EQ(m_window->replaySpeed(), ReplaySpeed::Double);
    EXPECT_TRUE(Command("speedDouble")->isChecked());
    // In the preferences file given, not in the connection settings.
    EXPECT_FALSE(QFile::exists(m_folder.filePath(QStringLiteral("Connection.ini"))));
}

TEST(ExecutableFileFilter, ListsFoldersAndProgramsOnly) {
#if defined(Q_OS_WIN)
    GTEST_SKIP() << "Windows tells programs by their suffix; the dialog filters by it there";
#endif
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("engines")));
    for (const char* name : {"program", "notes.txt"}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    const QString program = folder.filePath(QStringLiteral("program"));
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);

    QFileSystemModel files;
    bool loaded = false;
    QObject::connect(&files, &QFileSystemModel::directoryLoaded, &files,
                     [&](const QString& path) { loaded = loaded || path == folder.path(); });
    const QModelIndex root = files.setRootPath(folder.path());
    ASSERT_TRUE(WaitFor([&] { return loaded; }));
    ExecutableFileFilter filter;
    filter.setSourceModel(&files);

    const QModelIndex shownRoot = filter.mapFromSource(root);
    QStringList shown;
    for (int row = 0; row < filter.rowCount(shownRoot); ++row) {
        shown << filter.index(row, 0, shownRoot).data().toString();
    }
    shown.sort();
    EXPECT_EQ(shown, QStringList({"engines", "program"}));
}

TEST(ExecutableFileFilter, AppliedToADialogItListsThePlatformsPrograms) {
    QFileDialog dialog;
    ExecutableFileFilter::ApplyTo(dialog);
#if defined(Q_OS_WIN)
    EXPECT_EQ(dialog.nameFilters(), QStringList{QStringLiteral("EXE Files (*.exe)")});
    EXPECT_EQ(qobject_cast<ExecutableFileFilter*>(dialog.proxyModel()), nullptr);
#else
    // The native dialogs would not take the filter.
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_NE(qobject_cast<ExecutableFileFilter*>(dialog.proxyModel()), nullptr);
#endif
}

} // namespace
} // namespace skerrow
