// skerrow-cli against a scripted match server and a scripted engine over
// loopback: the exact bytes on both sides, the match log and the exit status.
#include "event_loop_wait.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
    }

    // Starts skerrow-cli with the scripted engine (in the given manner, see
    // scripted_engine.cpp) and takes its connection.
    void Launch(const QString& manner = {}, const QStringList& options = {}) {
        m_cli.setWorkingDirectory(m_folder.path());
        m_cli.setProgram(QStringLiteral(SKERROW_CLI_PATH));
        QStringList arguments{
            "--address", "127.0.0.1", "--port", QString::number(m_server.serverPort()),
            "--id",      "abcd",      "--name", "Bot"};
        arguments << options << "--engine" << QStringLiteral(SCRIPTED_ENGINE_PATH) << "--"
                  << EngineRecordPath();
        if (!manner.isEmpty()) {
            arguments << manner;
        }
        m_cli.setArguments(arguments);
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

    QStringList Logs() const {
        return QDir(m_folder.filePath("Log")).entryList({"*.log"}, QDir::Files, QDir::Name);
    }

    int LogLines() const {
        const QStringList logs = Logs();
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
    QByteArray m_out; // the program's standard output read so far
};

} // namespace

TEST_F(CliMatch, RelaysAGameByteForByte) {
    Launch();
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
    Launch();
    ReadUntil(Z("LOGIN abcd pass1 Bot"));
    m_client->write(Z("NEWGAME Alice Bob") + Z("SETSTATE 0 0 10 0"));
    ASSERT_TRUE(WaitFor([this] { return LogLines() >= 2; }));
    m_client->disconnectFromHost();
    EXPECT_EQ(WaitForExit(), 1);
    EXPECT_TRUE(m_cli.readAllStandardError().contains("before the game was over"));
    EXPECT_EQ(LogContents(), QByteArray("Server: NEWGAME Alice Bob\nServer: SETSTATE 0 0 10 0\n"));
}

TEST_F(CliMatch, GarbageAndAnEngineThatQuitsDoNotStopTheRelay) {
    Launch();
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

// An engine that saves what it learnt at GAMEOVER must get every message of
// the log, however slowly it reads, although the server closes the link at
// once: it reads to the end of its input before skerrow-cli ends it.
TEST_F(CliMatch, ASlowEngineGetsEveryMessageOfTheLogBeforeItIsEnded) {
    Launch(QStringLiteral("--slow"));
    ReadUntil(Z("LOGIN abcd pass1 Bot"));
    QByteArray sent = Z("NEWGAME Alice Bob") + Z("POSITION 0 0") + Z("SETSTATE 15 0 1 1");
    const QByteArray position = "POSITION " + QByteArray(3000, '1');
    for (int i = 0; i < 30; ++i) {
        sent += Z(position.constData());
    }
    sent += Z("RUNSHOT 0.1 -2.9 0") + Z("SCORE 1") + Z("SETSTATE 0 1 1 0") + Z("GAMEOVER");
    m_client->write(sent);
    m_client->flush();
    ASSERT_TRUE(WaitFor([this] { return LogLines() == 37; }));
    m_client->disconnectFromHost();
    EXPECT_EQ(WaitForExit(), 0);

    QFile record(EngineRecordPath());
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    EXPECT_EQ(record.size(), sent.size());
    EXPECT_TRUE(record.readAll() == sent);
}

// A debugging line printed after GO becomes the answer and costs the stone;
// skerrow-cli forwards it, as the server decides, and says what happened.
TEST_F(CliMatch, EngineLinesThatAreNoAnswerAreReported) {
    Launch();
    ReadUntil(Z("LOGIN abcd pass1 Bot"));
    m_client->write(Z("NEWGAME Alice Bob") + Z("SETSTATE 0 0 10 0") + Z("GO chatty 300 300"));
    EXPECT_TRUE(ReadUntil(Z("BESTSHOT 0.1 -2.9 0\r")).contains(Z("thinking it over")));
    ASSERT_TRUE(WaitFor([this] {
        m_out += m_cli.readAllStandardOutput();
        return m_out.contains("while no answer was due");
    }));
    EXPECT_TRUE(m_out.contains("The engine's line \"thinking it over\" is no valid answer to GO"))
        << m_out.constData();
    EXPECT_TRUE(
        m_out.contains("The engine wrote \"BESTSHOT 0.1 -2.9 0\\r\" while no answer was due"))
        << m_out.constData();
    m_client->write(Z("GAMEOVER"));
    m_client->disconnectFromHost();
    EXPECT_EQ(WaitForExit(), 0);
}

// Logs are never lost: the same names again get a new file (with a counter
// when in the same second), names too long for a file name are cut in the
// name only, and a log that cannot be opened is reported.
TEST_F(CliMatch, EveryGameHasItsOwnLogWhateverTheNames) {
    Launch();
    ReadUntil(Z("LOGIN abcd pass1 Bot"));
    const QByteArray longRed(130, 'r');
    const QByteArray longYellow(130, 'y');
    const QByteArray longGame = "NEWGAME " + longRed + " " + longYellow;
    m_client->write(Z("NEWGAME Alice Bob") + Z("SCORE 1") + Z("GAMEOVER") + Z("NEWGAME Alice Bob") +
                    Z("SCORE 2") + Z("GAMEOVER") + Z(longGame.constData()) + Z("GAMEOVER"));
    ASSERT_TRUE(WaitFor([this] { return Logs().size() == 3; })) << Logs().join(", ").toStdString();
    m_client->disconnectFromHost();
    EXPECT_EQ(WaitForExit(), 0);

    const QStringList logs = Logs();
    ASSERT_EQ(logs.size(), 3);
    QStringList contents;
    for (const QString& name : logs) {
        QFile file(m_folder.filePath("Log/" + name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        contents << QString::fromUtf8(file.readAll());
    }
    // Both games of Alice and Bob, each whole in its own file.
    EXPECT_TRUE(logs[0].startsWith("Alice - Bob [") && logs[1].startsWith("Alice - Bob ["));
    EXPECT_TRUE(contents[0].contains("SCORE 1") != contents[1].contains("SCORE 1"));
    EXPECT_TRUE(contents[0].contains("SCORE 2") != contents[1].contains("SCORE 2"));
    const QString cutName = QString(64, 'r') + " - " + QString(64, 'y') + " [";
    EXPECT_TRUE(logs[2].startsWith(cutName)) << logs[2].toStdString();
    EXPECT_EQ(contents[2], "Server: " + QString::fromLatin1(longGame) + "\nServer: GAMEOVER\n");
}

TEST_F(CliMatch, ALogThatCannotBeOpenedIsReported) {
    QFile inTheWay(m_folder.filePath("Log"));
    ASSERT_TRUE(inTheWay.open(QIODevice::WriteOnly));
    inTheWay.close();
    Launch();
    ReadUntil(Z("LOGIN abcd pass1 Bot"));
    m_client->write(Z("NEWGAME Alice Bob") + Z("GAMEOVER"));
    ASSERT_TRUE(WaitFor([this] {
        m_out += m_cli.readAllStandardOutput();
        return m_out.contains("Game over");
    }));
    EXPECT_TRUE(m_out.contains("No log for this game: cannot create")) << m_out.constData();
    EXPECT_TRUE(m_out.contains("Alice - Bob [")) << m_out.constData();
    m_client->disconnectFromHost();
    EXPECT_EQ(WaitForExit(), 0);
}

// An engine that does not read cannot make skerrow-cli grow without bound:
// past a few MiB it is ended as stalled, and the relay goes on without it.
TEST_F(CliMatch, AnEngineThatDoesNotReadIsEndedAsStalled) {
    Launch(QStringLiteral("--deaf"));
    ReadUntil(Z("LOGIN abcd pass1 Bot"));
    m_client->write(Z("NEWGAME Alice Bob"));
    const QByteArray flood = Z(("POSITION " + QByteArray(60000, '1')).constData());
    for (int i = 0; i < 100 && !m_out.contains("stalled"); ++i) {
        m_client->write(flood);
        WaitFor([this] { return m_client->bytesToWrite() == 0; });
        m_out += m_cli.readAllStandardOutput();
    }
    ASSERT_TRUE(WaitFor([this] {
        m_out += m_cli.readAllStandardOutput();
        return m_out.contains("stalled");
    }));
    EXPECT_TRUE(m_out.contains("The engine stopped reading its input")) << m_out.constData();
    // Without an engine it answers the question itself.
    m_client->write(Z("ISREADY"));
    EXPECT_TRUE(ReadUntil(Z("READYOK")).endsWith(Z("READYOK")));
    m_client->write(Z("GAMEOVER"));
    m_client->disconnectFromHost();
    EXPECT_EQ(WaitForExit(), 0);
}

TEST(CliStartUp, AnEngineThatCannotStartIsNeverSaidToHaveStarted) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QProcess cli;
    cli.setWorkingDirectory(folder.path());
    cli.start(QStringLiteral(SKERROW_CLI_PATH),
              {"--address", "127.0.0.1", "--port", "9", "--id", "abcd", "--name", "Bot",
               "--password", "pass1", "--engine", "/nonexistent"});
    ASSERT_TRUE(cli.waitForFinished(kWaitMs));
    EXPECT_EQ(cli.exitCode(), 1);
    const QByteArray out = cli.readAllStandardOutput();
    EXPECT_FALSE(out.contains("started")) << out.constData();
    EXPECT_FALSE(out.contains("Connecting")) << out.constData();
    EXPECT_TRUE(cli.readAllStandardError().contains("The engine could not be started"));
}

TEST(CliStartUp, ARefusedConnectionIsReportedWithItsReason) {
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        closedPort = probe.serverPort();
    }
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QProcess cli;
    cli.setWorkingDirectory(folder.path());
    cli.start(QStringLiteral(SKERROW_CLI_PATH),
              {"--address", "127.0.0.1", "--port", QString::number(closedPort), "--id", "abcd",
               "--name", "Bot", "--password", "pass1", "--connect-timeout", "1", "--engine",
               QStringLiteral(SCRIPTED_ENGINE_PATH), "--",
               folder.filePath(QStringLiteral("record.bin"))});
    ASSERT_TRUE(cli.waitForFinished(kWaitMs));
    EXPECT_EQ(cli.exitCode(), 1);
    const QString out = QString::fromUtf8(cli.readAllStandardOutput());
    const QString err = QString::fromUtf8(cli.readAllStandardError());
    const QString server = QStringLiteral("127.0.0.1:%1").arg(closedPort);
    EXPECT_TRUE(out.contains("Connecting to " + server)) << out.toStdString();
    // Said once, not at every retry.
    EXPECT_EQ(out.count("Could not connect to " + server + ": Connection refused"), 1)
        << out.toStdString();
    EXPECT_TRUE(err.contains("Could not reach the server at " + server +
                             " within 1 s (last attempt: Connection refused)"))
        << err.toStdString();
}

TEST(CliStartUp, WithoutThePhysicsLibraryItSaysSoAndFails) {
    // A copy of the program in a folder without the library beside it.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString copy = folder.filePath(QFileInfo(QStringLiteral(SKERROW_CLI_PATH)).fileName());
    ASSERT_TRUE(QFile::copy(QStringLiteral(SKERROW_CLI_PATH), copy));
    QProcess cli;
    cli.setWorkingDirectory(folder.path());
    cli.start(copy, {"--address", "127.0.0.1", "--port", "9", "--id", "abcd", "--name", "Bot",
                     "--password", "pass1", "--engine", QStringLiteral(SCRIPTED_ENGINE_PATH)});
    ASSERT_TRUE(cli.waitForFinished(kWaitMs));
    EXPECT_EQ(cli.exitCode(), 1);
    EXPECT_TRUE(QString::fromUtf8(cli.readAllStandardError())
                    .contains(QStringLiteral(TARNWICK_FILE_NAME) +
                              QStringLiteral(" の読み込みに失敗しました")));
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
