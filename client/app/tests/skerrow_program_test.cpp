// The program skerrow as a child process on the offscreen platform: its
// start-up failures, its options and the picture it writes with --screenshot.
#include "physics_binding.h"
#include "rink_images.h"
#include "window_test_support.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
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

class Program : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    // Starts `program` (the built one by default) in the test's folder.
    void Start(const QStringList& arguments,
               const QString& program = QStringLiteral(SKERROW_PATH)) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
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
        return m_process.exitCode();
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
        const QString copy = m_folder.filePath(QStringLiteral("skerrow"));
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

TEST_F(Program, TheScreenshotShowsTheMatchOnceTheReplayHasEnded) {
    PhysicsBinding physics(QStringLiteral(TARNWICK_DIR));
    ASSERT_TRUE(physics.Load());
    ShotVec draw{};
    ASSERT_TRUE(physics.CreateShot(ShotPos{2.375f, 4.88f, 0}, draw));

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
    // The whole window: the menu bar over the client area.
    EXPECT_EQ(shot.width(), kClientWidth);
    const int menuHeight = shot.height() - kClientHeight;
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
