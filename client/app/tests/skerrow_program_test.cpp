// The program skerrow as a child process on the offscreen platform: its
// start-up failures, its options and the picture it writes with --screenshot.
#include "match_numbers.h"
#include "physics_binding.h"
#include "rink_images.h"
#include "skerrow_dlg.h"
#include "status_panel.h"
#include "window_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace skerrow {
namespace {

using test::LoopbackServer;
using test::WaitFor;
using test::Z;

constexpr int kClientWidth = 334;
constexpr int kClientHeight = 767;

QString BuiltImages() {
    return QDir(QStringLiteral(SKERROW_BIN_DIR)).filePath(QStringLiteral("System/Image"));
}

// An X server of its own for a test, on a display number it picks itself;
// none when Xvfb is not installed.
class VirtualDisplay {
public:
    VirtualDisplay() {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty()) {
            return;
        }
        m_server.start(xvfb, {"-displayfd", "1", "-screen", "0", "800x900x24", "-nolisten", "tcp"});
        if (!m_server.waitForStarted(test::kWaitMs)) {
            return;
        }
        QByteArray number;
        WaitFor([&] {
            number += m_server.readAllStandardOutput();
            return number.contains('\n') || m_server.state() == QProcess::NotRunning;
        });
        if (number.contains('\n')) {
            m_name = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
        }
    }
    ~VirtualDisplay() {
        if (m_server.state() != QProcess::NotRunning) {
            m_server.terminate();
            if (!m_server.waitForFinished(test::kWaitMs)) {
                m_server.kill();
                m_server.waitForFinished(test::kWaitMs);
            }
        }
    }
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // ":N", or empty when no server runs.
    const QString& name() const { return m_name; }

private:
    QProcess m_server;
    QString m_name;
};

class Program : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    // Starts `program` (the built one by default) in the test's folder, on
    // the offscreen platform unless `environment` says otherwise.
    void Start(const QStringList& arguments, const QString& program = QStringLiteral(SKERROW_PATH),
               QProcessEnvironment environment = QProcessEnvironment::systemEnvironment()) {
        if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM"))) {
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        }
        environment.insert(QStringLiteral("SKERROW_PASSWORD"), QStringLiteral("pass1"));
        // Preferences of this run stay in the test's folder.
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           m_folder.filePath(QStringLiteral("config")));
        m_process.setProcessEnvironment(environment);
        m_process.setWorkingDirectory(m_folder.path());
        m_process.start(program, arguments);
        ASSERT_TRUE(m_process.waitForStarted(test::kWaitMs));
    }

    int WaitForExit() {
        EXPECT_TRUE(WaitFor([this] { return m_process.state() == QProcess::NotRunning; }));
        m_stderr = QString::fromUtf8(m_process.readAllStandardError());
        m_stdout = QString::fromUtf8(m_process.readAllStandardOutput());
        return m_process.exitStatus() == QProcess::CrashExit ? -1 : m_process.exitCode();
    }

    // This environment with no display at all, and the X11 platform asked for.
    static QProcessEnvironment WithoutDisplay() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        return environment;
    }

    void TearDown() override {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(test::kWaitMs);
        }
    }

    // A copy of the program alone in the test's folder, with the built
    // pictures below it except `leftOut`: without the physics library.
    QString LoneCopy(const char* leftOut) {
        // Named as built: skerrow.exe must keep its suffix to run on Windows.
        const QString copy = m_folder.filePath(QFileInfo(QStringLiteral(SKERROW_PATH)).fileName());
        EXPECT_TRUE(QFile::copy(QStringLiteral(SKERROW_PATH), copy));
        const QDir images(m_folder.filePath(QStringLiteral("System/Image")));
        EXPECT_TRUE(images.mkpath(QStringLiteral(".")));
        const QDir built(BuiltImages());
        for (const QString& name : built.entryList(QDir::Files)) {
            if (leftOut == nullptr || name != QLatin1String(leftOut)) {
                EXPECT_TRUE(QFile::copy(built.filePath(name), images.filePath(name)));
            }
        }
        return copy;
    }

    QTemporaryDir m_folder;
    QProcess m_process;
    QString m_stderr;
    QString m_stdout;
};

TEST_F(Program, WithoutThePhysicsLibraryItSaysSoAndEnds) {
    Start({}, LoneCopy(nullptr));
    EXPECT_EQ(WaitForExit(), 1);
    EXPECT_TRUE(m_stderr.contains(PhysicsBinding::PlatformFileName(QStringLiteral("Tarnwick")) +
                                  QStringLiteral(" の読み込みに失敗しました")))
        << m_stderr.toStdString();
    EXPECT_TRUE(m_stderr.contains(QStringLiteral("エラー")));
}

TEST_F(Program, WithoutTheScoreBoardPictureItSaysSoAndEndsBeforeLoadingTheLibrary) {
    Start({}, LoneCopy(RinkImages::kScoreFile));
    EXPECT_EQ(WaitForExit(), 1);
    EXPECT_TRUE(m_stderr.contains(QStringLiteral("エラー: グラフィックの読み込みに失敗しました")))
        << m_stderr.toStdString();
    EXPECT_FALSE(m_stderr.contains(PhysicsBinding::PlatformFileName(QStringLiteral("Tarnwick"))));
    EXPECT_EQ(m_stderr.count(QStringLiteral("skerrow:")), 1);
}

TEST_F(Program, BadOptionsEndItWithAUsageError) {
    Start({QStringLiteral("--address"), QStringLiteral("10.0.0.1")});
    EXPECT_EQ(WaitForExit(), 2);
    EXPECT_TRUE(m_stderr.contains(QStringLiteral("--connect"))) << m_stderr.toStdString();
}

// Help and version are read before Qt opens a display, so they need none.
TEST_F(Program, HelpAndVersionNeedNoDisplay) {
    Start({QStringLiteral("--help")}, QStringLiteral(SKERROW_PATH), WithoutDisplay());
    EXPECT_EQ(WaitForExit(), 0) << m_stderr.toStdString();
    EXPECT_TRUE(m_stdout.contains(QStringLiteral("--name <name>"))) << m_stdout.toStdString();
    EXPECT_TRUE(m_stdout.startsWith(QStringLiteral("Usage: skerrow "))) << m_stdout.toStdString();
    Start({QStringLiteral("--version")}, QStringLiteral(SKERROW_PATH), WithoutDisplay());
    EXPECT_EQ(WaitForExit(), 0) << m_stderr.toStdString();
    EXPECT_EQ(m_stdout, QStringLiteral("Skerrow, Version 1.0\n"));
}

// What neither the program nor Qt takes is refused; Qt's own options still
// work.
TEST_F(Program, WordsNobodyTakesAreRefused) {
    Start({QStringLiteral("--frobnicate")});
    EXPECT_EQ(WaitForExit(), 2);
    EXPECT_TRUE(m_stderr.contains(QStringLiteral("Unknown option '--frobnicate'")))
        << m_stderr.toStdString();
    Start({QStringLiteral("stray")});
    EXPECT_EQ(WaitForExit(), 2);
    EXPECT_TRUE(m_stderr.contains(QStringLiteral("Unexpected argument 'stray'")))
        << m_stderr.toStdString();
    const QString picture = m_folder.filePath(QStringLiteral("shot.png"));
    Start({QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--screenshot"),
           picture});
    EXPECT_EQ(WaitForExit(), 0) << m_stderr.toStdString();
}

// Under X11, Qt takes --name (and -name) as the name of its windows; the
// program reads its options first, so the display name reaches the login.
TEST_F(Program, TheDisplayNameReachesTheLoginUnderX11) {
    const VirtualDisplay display;
    if (display.name().isEmpty()) {
        GTEST_SKIP() << "Xvfb is not installed";
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display.name());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // No session bus: the program needs none, and libdbus's attempt to start
    // one leaks, which the sanitized build reports.
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("disabled:"));
    // The X11 keyboard library hands strndup a length past the end of a
    // terminated string, which is allowed but which strict string checks of
    // the sanitized build reject; the later setting wins.
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       environment.value(QStringLiteral("ASAN_OPTIONS")) +
                           QStringLiteral(":strict_string_checks=0"));
    for (const char* option : {"--name", "-name"}) {
        LoopbackServer server;
        Start({"--connect", "--address", "127.0.0.1", "--port", QString::number(server.port()),
               "--id", "abcd", QString::fromLatin1(option), "Alpha", "--screenshot",
               m_folder.filePath(QStringLiteral("shot.png"))},
              QStringLiteral(SKERROW_PATH), environment);
        ASSERT_TRUE(server.Accept()) << option;
        EXPECT_EQ(server.ReadUntil(Z("LOGIN abcd pass1 Alpha")), Z("LOGIN abcd pass1 Alpha"))
            << option;
        server.Send(Z("NEWGAME Alpha Beta"));
        EXPECT_EQ(WaitForExit(), 0) << m_stderr.toStdString();
    }
}

TEST_F(Program, TheScreenshotShowsTheMatchOnceTheReplayHasEnded) {
    PhysicsBinding physics(QStringLiteral(TARNWICK_DIR));
    ASSERT_TRUE(physics.Load());
    ShotVec draw{};
    ASSERT_TRUE(physics.CreateShot(ShotPos{kTeeX, kTeeY, 0}, draw));

    LoopbackServer server;
    const QString picture = m_folder.filePath(QStringLiteral("shot.png"));
    Start({"--connect", "--address", "127.0.0.1", "--port", QString::number(server.port()), "--id",
           "abcd", "--name", "Bot", "--screenshot", picture});
    ASSERT_TRUE(server.Accept());
    server.ReadUntil(Z("LOGIN abcd pass1 Bot"));
    const QByteArray runShot = QStringLiteral("RUNSHOT %1 %2 0")
                                   .arg(double(draw.vx), 0, 'f', 6)
                                   .arg(double(draw.vy), 0, 'f', 6)
                                   .toLatin1();
    server.Send(Z("NEWGAME Alice Bob") + Z("SETSTATE 0 1 10 0") + Z("POSITION 1.2 3.5") +
                Z("SCORE 1") + Z(runShot.constData()) + Z("POSITION 1.2 3.5 2.375 4.88"));

    EXPECT_EQ(WaitForExit(), 0) << m_stderr.toStdString();
    const QImage shot(picture);
    ASSERT_FALSE(shot.isNull());
    // The whole window: the menu bar over the client area and the board's
    // column beside it, the status line below them.
    EXPECT_EQ(shot.width(), kClientWidth + StatusPanel::kWidth);
    const int menuHeight = shot.height() - kClientHeight - CSkerrowDlg::kStatusLineHeight;
    EXPECT_GT(menuHeight, 0);
    // The position sent after the shot is on show: its second stone, on the
    // tee, is yellow.
    const QColor tee = shot.pixelColor(84 + 118, menuHeight + 36 + 243);
    EXPECT_TRUE(tee.red() > 150 && tee.green() > 140 && tee.blue() < 110)
        << tee.name().toStdString();
}

TEST_F(Program, RefusedConnectEntriesAreToldAndTheWindowStaysUnconnected) {
    const QString picture = m_folder.filePath(QStringLiteral("shot.png"));
    Start({"--connect", "--address", "127.0.0.1", "--port", "0", "--id", "abcd", "--name", "Bot",
           "--screenshot", picture});
    EXPECT_EQ(WaitForExit(), 0) << m_stderr.toStdString();
    EXPECT_TRUE(
        m_stderr.contains(QStringLiteral("入力エラー: PORT番号は、半角数字で入力して下さい")))
        << m_stderr.toStdString();
    EXPECT_FALSE(QImage(picture).isNull());
}

} // namespace
} // namespace skerrow
