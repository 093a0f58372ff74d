#include "engine_bridge.h"

#include <QHostAddress>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>

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
