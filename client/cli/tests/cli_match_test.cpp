// skerrow-cli against a scripted match server and a scripted engine over
// loopback: the exact bytes on both sides, the match log and the exit status.
#include "event_loop_wait.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using skerrow::test::kWaitMs;
using skerrow::test::WaitFor;
using skerrow::test::Z;

class CliMatch : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(m_server.listen(QHostAddress::LocalHost));
        m_cli.setWorkingDirectory(m_folder.path());
        m_cli.setProgram(QStringLiteral(SKERROW_CLI_PATH));
        m_cli.setArguments({"--address", "127.0.0.1", "--port",
                            QString::number(m_server.serverPort()), "--id", "abcd", "--name", "Bot",
                            "--engine", QStringLiteral(SCRIPTED_ENGINE_PATH), "--",
                            EngineRecordPath()});
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("SKERROW_PASSWORD", "pass1");
        m_cli.setProcessEnvironment(environment);
        m_cli.start();
        ASSERT_TRUE(m_cli.waitForStarted(kWaitMs));
        ASSERT_TRUE(WaitFor([this] { return m_server.hasPendingConnections(); }));
        m_client = m_server.nextPendingConnection();
    }

    void TearDown() override {
        if (m_cli.state() != QProcess::NotRunning) {
            m_cli.kill();
            m_cli.waitForFinished(kWaitMs);
        }
    }

    QString EngineRecordPath() const { return m_folder.filePath("engine-input.bin"); }

    // Reads from the client until `expected` has arrived; returns all read.
    QByteArray ReadUntil(const QByteArray& expected) {
        WaitFor([&] {
            m_received += m_client->readAll();
            return m_received.contains(expected);
        });
        return m_received;
    }

    int WaitForExit() {
        EXPECT_TRUE(WaitFor([this] { return m_cli.state() == QProcess::NotRunning; }));
        return m_cli.exitCode();
    }

    int LogLines() const {
        const QStringList logs = QDir(m_folder.filePath("Log")).entryList({"*.log"}, QDir::Files);
        if (logs.size() != 1) {
            return 0;
        }
        QFile file(m_folder.filePath("Log/" + logs.first()));
        return file.open(QIODevice::ReadOnly) ? static_cast<int>(file.readAll().count('\n')) : 0;
    }

    QByteArray LogContents() const {
        const QStringList logs = QDir(m_folder.filePath("Log")).entryList({"*.log"}, QDir::Files);
        if (logs.size() != 1) {
            ADD_FAILURE() << "expected one log, found " << logs.size();
            return {};
        }
        EXPECT_TRUE(logs.first().startsWith("Alice - Bob ["));
        QFile file(m_folder.filePath("Log/" + logs.first()));
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }

    QTemporaryDir m_folder;
    QTcpServer m_server;
    QProcess m_cli;
    QTcpSocket* m_client = nullptr;
    QByteArray m_received;
};

} // namespace

TEST_F(CliMatch, RelaysAGameByteForByte) {
    EXPECT_EQ(ReadUntil(Z("LOGIN abcd pass1 Bot")), Z("LOGIN abcd pass1 Bot"));

    m_client->write(Z("NEWGAME Alice Bob") + Z("ISREADY"));
    EXPECT_TRUE(ReadUntil(Z("READYOK")).endsWith(Z("READYOK")));

    // A message split across two writes is handled once.
    m_client->write(Z("POSITION 2.375 5.0") + "SETSTATE 1 0");
    m_client->flush();
    ASSERT_TRUE(WaitFor([this] { return m_client->bytesToWrite() == 0; }));
    m_client->write(QByteArray(" 10 1") + '\0' + Z("GO 300 300"));
    // The engine's carriage return reaches the server intact.
    EXPECT_TRUE(ReadUntil(Z("BESTSHOT 0.1 -2.9 0\r")).endsWith(Z("BESTSHOT 0.1 -2.9 0\r")));

    m_client->write(Z("SCORE 1") + Z("GAMEOVER"));
    // The engine's last answer has no newline and still reaches the server.
    EXPECT_TRUE(ReadUntil(Z("BYE")).endsWith(Z("BYE")));
    m_client->disconnectFromHost();

    EXPECT_EQ(WaitForExit(), 0);
    const QByteArray out = m_cli.readAllStandardOutput();
    EXPECT_TRUE(out.contains("Game started: Alice (red) against Bob (yellow)")) << out.constData();
    EXPECT_TRUE(out.contains("End 1: Alice scores 1")) << out.constData();
    EXPECT_TRUE(out.contains("Game over: Alice 1 - 0 Bob")) << out.constData();

    QFile record(EngineRecordPath());
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    EXPECT_EQ(record.readAll(), Z("NEWGAME Alice Bob") + Z("ISREADY") + Z("POSITION 2.375 5.0") +
                                    Z("SETSTATE 1 0 10 1") + Z("GO 300 300") + Z("SCORE 1") +
                                    Z("GAMEOVER"));

    EXPECT_EQ(LogContents(), QByteArray("Server: NEWGAME Alice Bob\n"
                                        "Server: ISREADY\n"
                                        "Client: READYOK\n"
                                        "Server: POSITION 2.375 5.0\n"
                                        "Server: SETSTATE 1 0 10 1\n"
                                        "Server: GO 300 300\n"
                                        "Client: BESTSHOT 0.1 -2.9 0\r\n"
                                        "Server: SCORE 1\n"
                                        "Server: GAMEOVER\n"));
}

TEST_F(CliMatch, ALinkLostMidGameClosesTheLogAndFails) {
    ReadUntil(Z("LOGIN abcd pass1 Bot"));
    m_client->write(Z("NEWGAME Alice Bob") + Z("SETSTATE 0 0 10 0"));
    ASSERT_TRUE(WaitFor([this] { return LogLines() >= 2; }));
    m_client->disconnectFromHost();
    EXPECT_EQ(WaitForExit(), 1);
    EXPECT_TRUE(m_cli.readAllStandardError().contains("before the game was over"));
    EXPECT_EQ(LogContents(), QByteArray("Server: NEWGAME Alice Bob\nServer: SETSTATE 0 0 10 0\n"));
}

TEST_F(CliMatch, GarbageAndAnEngineThatQuitsDoNotStopTheRelay) {
    ReadUntil(Z("LOGIN abcd pass1 Bot"));
    QByteArray binary;
    for (int i = 1; i < 256; ++i) {
        binary.append(static_cast<char>(i));
    }
    m_client->write(Z("NEWGAME Alice Bob") + binary + '\0' +
                    Z("POSITION nan inf 1e999 -1e999 garbage") + Z("RUNSHOT") +
                    Z("SETSTATE 99999999999 -5 x 7"));
    // A message of 1 MiB without a zero byte, then a proper one.
    m_client->write(QByteArray(1 << 20, 'x'));
    m_client->write(QByteArray(1, '\0') + Z("EXIT"));
    ASSERT_TRUE(WaitFor([this] {
        return m_cli.readAllStandardOutput().contains("The engine exited with status 3");
    }));
    // The relay still runs: without an engine it answers the question itself.
    m_client->write(Z("ISREADY"));
    EXPECT_TRUE(ReadUntil(Z("READYOK")).endsWith(Z("READYOK")));
    m_client->write(Z("GAMEOVER"));
    m_client->disconnectFromHost();
    EXPECT_EQ(WaitForExit(), 0);
    const QByteArray log = LogContents();
    EXPECT_TRUE(log.startsWith("Server: NEWGAME Alice Bob\n"));
    EXPECT_TRUE(log.contains("Server: EXIT\n"));
    EXPECT_TRUE(log.endsWith("Server: GAMEOVER\n"));
    EXPECT_FALSE(log.contains("xxxxxxxx")); // the over-long message was dropped
}

TEST(CliStartUp, WithoutThePhysicsLibraryItSaysSoAndFails) {
    // A copy of the program in a folder without the library beside it.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString copy = folder.filePath("skerrow-cli");
    ASSERT_TRUE(QFile::copy(QStringLiteral(SKERROW_CLI_PATH), copy));
    QProcess cli;
    cli.setWorkingDirectory(folder.path());
    cli.start(copy, {"--address", "127.0.0.1", "--port", "9", "--id", "abcd", "--name", "Bot",
                     "--password", "pass1", "--engine", QStringLiteral(SCRIPTED_ENGINE_PATH)});
    ASSERT_TRUE(cli.waitForFinished(kWaitMs));
    EXPECT_EQ(cli.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(cli.readAllStandardError())
                    .contains(QStringLiteral("libTarnwick.so の読み込みに失敗しました")));
}

TEST(CliStartUp, BadEntriesAreRefusedWithTheirMessage) {
    QProcess cli;
    QTemporaryDir folder;
    cli.setWorkingDirectory(folder.path());
    cli.start(QStringLiteral(SKERROW_CLI_PATH),
              {"--address", "127.0.0.1", "--port", "70000", "--id", "abcd", "--name", "Bot",
               "--password", "pass1", "--engine", QStringLiteral(SCRIPTED_ENGINE_PATH)});
    ASSERT_TRUE(cli.waitForFinished(kWaitMs));
    EXPECT_EQ(cli.exitCode(), 2);
    EXPECT_TRUE(QString::fromUtf8(cli.readAllStandardError())
                    .contains(QStringLiteral("PORT番号は、半角数字で入力して下さい")));
}
