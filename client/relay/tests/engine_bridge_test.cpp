#include "engine_bridge.h"

#include <QFile>
#include <QHostAddress>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace skerrow {
namespace {

// Safety net only: every wait ends as soon as its signal arrives.
constexpr int kTimeoutMs = 10000;

const QString kFakeEngine = QStringLiteral(FAKE_ENGINE_PATH);

bool WaitForCount(QSignalSpy& spy, qsizetype count) {
    while (spy.count() < count) {
        if (!spy.wait(kTimeoutMs)) {
            return false;
        }
    }
    return true;
}

// The connection a fake engine started with "--hold PORT" keeps open while
// it lives: its end shows that the process has ended.
class ProcessWatch {
public:
    ProcessWatch() { EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost)); }

    QStringList Arguments() const {
        return {QStringLiteral("--hold"), QString::number(m_server.serverPort())};
    }

    // The hold of the next engine that starts; owned by the watch.
    QTcpSocket* NextHold() {
        if (!m_server.hasPendingConnections()) {
            QSignalSpy spy(&m_server, &QTcpServer::newConnection);
            if (!spy.wait(kTimeoutMs)) {
                return nullptr;
            }
        }
        return m_server.nextPendingConnection();
    }

    static bool WaitForEnd(QTcpSocket* hold) {
        QSignalSpy closed(hold, &QTcpSocket::disconnected);
        return hold->state() == QAbstractSocket::UnconnectedState || closed.wait(kTimeoutMs);
    }

private:
    QTcpServer m_server;
};

// A bridge with a recorder of everything it reported, in order.
class EngineBridgeTest : public ::testing::Test {
protected:
    EngineBridgeTest() {
        QObject::connect(&bridge, &EngineBridge::lineReceived, [this](const QByteArray& line) {
            events << "line " + QString::fromUtf8(line);
        });
        QObject::connect(&bridge, &EngineBridge::exited, [this](int code, bool crashed) {
            events << QStringLiteral("exit %1%2").arg(code).arg(crashed ? " crashed" : "");
        });
        QObject::connect(&bridge, &EngineBridge::failedToStart,
                         [this](const QString&) { events << "failed"; });
    }

    EngineBridge bridge;
    QSignalSpy lines{&bridge, &EngineBridge::lineReceived};
    QSignalSpy exits{&bridge, &EngineBridge::exited};
    QStringList events;
};

// Each message reaches the engine with its zero byte and nothing else (the
// fake engine answers only complete messages and echoes exactly), and every
// line of the answers comes back, in order, with a carriage return kept.
TEST_F(EngineBridgeTest, RelaysMessagesAndEveryLineOfTheAnswers) {
    bridge.Start(kFakeEngine);
    EXPECT_TRUE(bridge.IsEngineRunning());
    EXPECT_EQ(bridge.displayName(), "fake_engine");
    // Written while the program is still starting: delivered once it runs.
    bridge.WriteToEngine("ISREADY");
    bridge.WriteToEngine("TWO");
    bridge.WriteToEngine("CR");
    bridge.WriteToEngine("ECHO BESTSHOT 0.1 -3.0 1");
    ASSERT_TRUE(WaitForCount(lines, 5));
    EXPECT_EQ(events, (QStringList{"line READYOK", "line A", "line B", "line Y\r",
                                   "line BESTSHOT 0.1 -3.0 1"}));
    EXPECT_TRUE(bridge.IsEngineRunning());
}

TEST_F(EngineBridgeTest, AnswerWithoutFinalNewlineStillCounts) {
    bridge.Start(kFakeEngine);
    bridge.WriteToEngine("NONL");
    ASSERT_TRUE(WaitForCount(lines, 1));
    bridge.WriteToEngine("ECHO next");
    ASSERT_TRUE(WaitForCount(lines, 2));
    EXPECT_EQ(events, (QStringList{"line X", "line next"})); // not "Xnext"
}

TEST_F(EngineBridgeTest, ExitIsReportedWithItsCodeAfterTheLastUnfinishedLine) {
    bridge.Start(kFakeEngine);
    bridge.WriteToEngine("LASTWORDS");
    ASSERT_TRUE(WaitForCount(exits, 1));
    EXPECT_EQ(events, (QStringList{"line Z", "exit 3"}));
    EXPECT_FALSE(bridge.IsEngineRunning());
    bridge.WriteToEngine("ISREADY"); // no engine: dropped
}

TEST_F(EngineBridgeTest, CrashIsReported) {
#ifdef Q_OS_WIN
    GTEST_SKIP() << "abort() ends a process there with an ordinary exit code";
#endif
    bridge.Start(kFakeEngine);
    bridge.WriteToEngine("CRASH");
    ASSERT_TRUE(WaitForCount(exits, 1));
    EXPECT_TRUE(exits.at(0).at(1).toBool());
    EXPECT_FALSE(bridge.IsEngineRunning());
}

TEST_F(EngineBridgeTest, ProgramThatDoesNotExistFailsToStart) {
    QSignalSpy failed(&bridge, &EngineBridge::failedToStart);
    bridge.Start(QStringLiteral("/no/such/folder/engine.exe"));
    ASSERT_TRUE(WaitForCount(failed, 1));
    EXPECT_FALSE(failed.at(0).at(0).toString().isEmpty());
    EXPECT_FALSE(bridge.IsEngineRunning());
    EXPECT_EQ(events, QStringList{"failed"});
    bridge.WriteToEngine("ISREADY"); // no engine: dropped
}

TEST_F(EngineBridgeTest, SecondStartReplacesTheFirstEngine) {
    ProcessWatch watch;
    bridge.Start(kFakeEngine, watch.Arguments());
    QTcpSocket* first = watch.NextHold();
    ASSERT_NE(first, nullptr);

    bridge.Start(kFakeEngine, watch.Arguments());
    EXPECT_TRUE(ProcessWatch::WaitForEnd(first));
    QTcpSocket* second = watch.NextHold();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(bridge.IsEngineRunning());

    bridge.WriteToEngine("ECHO to the second");
    ASSERT_TRUE(WaitForCount(lines, 1));
    EXPECT_EQ(events, QStringList{"line to the second"}); // the first's end is not reported
}

TEST_F(EngineBridgeTest, StopEndsTheEngineWithoutReportingAnExit) {
    ProcessWatch watch;
    bridge.Start(kFakeEngine, watch.Arguments());
    QTcpSocket* hold = watch.NextHold();
    ASSERT_NE(hold, nullptr);
    bridge.Stop();
    EXPECT_FALSE(bridge.IsEngineRunning());
    EXPECT_TRUE(ProcessWatch::WaitForEnd(hold));
    EXPECT_TRUE(events.isEmpty());
}

TEST(EngineBridge, DestructorEndsTheEngine) {
    ProcessWatch watch;
    auto bridge = std::make_unique<EngineBridge>();
    bridge->Start(kFakeEngine, watch.Arguments());
    QTcpSocket* hold = watch.NextHold();
    ASSERT_NE(hold, nullptr);
    bridge.reset();
    EXPECT_TRUE(ProcessWatch::WaitForEnd(hold));
}

// The messages a game might end on, some large enough that the engine's
// pipe cannot take them all at once: they wait in the bridge.
QByteArray WriteGameEnd(EngineBridge& bridge) {
    QByteArray expected;
    for (int i = 0; i < 40; ++i) {
        const std::string message = "POSITION " + std::to_string(i) + " " + std::string(4000, '0');
        bridge.WriteToEngine(message);
        expected += QByteArray::fromStdString(message) + '\0';
    }
    for (const char* message : {"RUNSHOT 0.1 -2.9 0", "SCORE 1", "SETSTATE 0 1 1 0", "GAMEOVER"}) {
        bridge.WriteToEngine(message);
        expected += QByteArray(message) + '\0';
    }
    return expected;
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An engine is never cut short of what was written to it, however slowly it
// reads: stopped, replaced, or gone with the bridge, it reads everything to
// the end of its input.
TEST(EngineBridgeEnd, TheEngineReadsEverythingWrittenBeforeItIsStopped) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString stopped = folder.filePath(QStringLiteral("stopped.bin"));
    const QString replaced = folder.filePath(QStringLiteral("replaced.bin"));
    const QString destroyed = folder.filePath(QStringLiteral("destroyed.bin"));
    const QString slow = QStringLiteral("300"); // milliseconds before it reads at all

    auto bridge = std::make_unique<EngineBridge>();
    QSignalSpy ended(bridge.get(), &EngineBridge::stopped);
    bridge->Start(kFakeEngine, {QStringLiteral("--record"), stopped, slow});
    const QByteArray expected = WriteGameEnd(*bridge);
    bridge->Stop();
    EXPECT_FALSE(bridge->IsEngineRunning());
    EXPECT_TRUE(bridge->isStopping());
    ASSERT_TRUE(WaitForCount(ended, 1));
    EXPECT_FALSE(bridge->isStopping());
    EXPECT_EQ(ReadFile(stopped), expected);

    bridge->Start(kFakeEngine, {QStringLiteral("--record"), replaced, slow});
    WriteGameEnd(*bridge);
    bridge->Start(kFakeEngine, {QStringLiteral("--record"), destroyed, slow});
    EXPECT_TRUE(bridge->IsEngineRunning());
    ASSERT_TRUE(WaitForCount(ended, 2));
    EXPECT_EQ(ReadFile(replaced), expected);

    WriteGameEnd(*bridge);
    bridge.reset(); // waits for the engine, as a closing window does
    EXPECT_EQ(ReadFile(destroyed), expected);
}

TEST(EngineBridgeEnd, AnEngineThatDoesNotEndIsKilledAfterTheGracePeriod) {
    EngineBridge bridge;
    bridge.setGracePeriod(100);
    QSignalSpy ended(&bridge, &EngineBridge::stopped);
    bridge.Start(kFakeEngine, {QStringLiteral("--linger")});
    bridge.WriteToEngine("GAMEOVER");
    bridge.Stop();
    // The safety net of the wait is far longer than the engine's minute.
    ASSERT_TRUE(WaitForCount(ended, 1));
    EXPECT_FALSE(bridge.isStopping());
}

// An engine that stops reading cannot make the relay grow without bound: it
// is ended as stalled once kMaxPendingBytes wait for it.
TEST(EngineBridgeEnd, AnEngineThatStopsReadingIsEndedAsStalled) {
    EngineBridge bridge;
    QSignalSpy stalls(&bridge, &EngineBridge::stalled);
    QSignalSpy exits(&bridge, &EngineBridge::exited);
    QSignalSpy started(&bridge, &EngineBridge::started);
    bridge.Start(kFakeEngine, {QStringLiteral("--deaf")});
    ASSERT_TRUE(WaitForCount(started, 1));
    const std::string message(64 * 1024, 'x');
    int written = 0;
    while (stalls.isEmpty() && written < 1000) {
        bridge.WriteToEngine(message);
        ++written;
    }
    ASSERT_EQ(stalls.count(), 1);
    const qint64 pending = stalls.at(0).at(0).toLongLong();
    EXPECT_GT(pending, EngineBridge::kMaxPendingBytes);
    EXPECT_LE(pending, EngineBridge::kMaxPendingBytes + qint64(message.size()) + 1);
    EXPECT_FALSE(bridge.IsEngineRunning());
    bridge.WriteToEngine(message); // no engine: dropped
    EXPECT_EQ(stalls.count(), 1);
    EXPECT_TRUE(exits.isEmpty()); // reported as stalled, not as an exit
}

struct NameCase {
    const char* path;
    const char* name;
};

class DisplayNameCases : public ::testing::TestWithParam<NameCase> {};

TEST_P(DisplayNameCases, IsTheFileNameUpToItsFirstDot) {
    EXPECT_EQ(EngineBridge::DisplayNameFor(QString::fromUtf8(GetParam().path)),
              QString::fromUtf8(GetParam().name));
}

INSTANTIATE_TEST_SUITE_P(Paths, DisplayNameCases,
                         ::testing::Values(NameCase{"C:\\engines\\ice.exe", "ice"},
                                           NameCase{"/opt/engines/ice.new.exe", "ice"},
                                           NameCase{"engine", "engine"},
                                           NameCase{"./v1.2/engine", "engine"},
                                           NameCase{"D:/mixed\\path/curl.bin", "curl"},
                                           NameCase{"/opt/engines/", ""}));

} // namespace
} // namespace skerrow
