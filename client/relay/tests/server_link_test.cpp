#include "server_link.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QSignalSpy>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

namespace skerrow {
namespace {

// Safety net only: every wait ends as soon as its signal arrives.
constexpr int kTimeoutMs = 10000;

bool WaitForCount(QSignalSpy& spy, qsizetype count) {
    while (spy.count() < count) {
        if (!spy.wait(kTimeoutMs)) {
            return false;
        }
    }
    return true;
}

// A port on which nothing listens (bound once and released).
quint16 FreePort() {
    QTcpServer probe;
    EXPECT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    return probe.serverPort();
}

// The server side of the next connection, owned by `server`.
QTcpSocket* Accept(QTcpServer& server) {
    if (!server.hasPendingConnections()) {
        QSignalSpy spy(&server, &QTcpServer::newConnection);
        if (!spy.wait(kTimeoutMs)) {
            return nullptr;
        }
    }
    return server.nextPendingConnection();
}

QByteArray ReadBytes(QTcpSocket& socket, qsizetype count) {
    QSignalSpy spy(&socket, &QTcpSocket::readyRead);
    while (socket.bytesAvailable() < count && spy.wait(kTimeoutMs)) {
    }
    return socket.read(count);
}

QByteArray Zeroed(const char* text) {
    QByteArray bytes(text);
    bytes.append('\0');
    return bytes;
}

ConnectionTarget TargetFor(quint16 port, const QString& address = QStringLiteral("127.0.0.1")) {
    return ConnectionTarget{address, port, "team01", "pass", "icebot"};
}

const QByteArray kLogin = Zeroed("LOGIN team01 pass icebot");

// A link with a recorder of what it reported, in order.
class ServerLinkTest : public ::testing::Test {
protected:
    ServerLinkTest() {
        QObject::connect(&link, &ServerLink::connected, [this] { events << "connected"; });
        QObject::connect(&link, &ServerLink::messageReceived, [this](const QByteArray& message) {
            events << "message " + QString::fromUtf8(message);
        });
        QObject::connect(&link, &ServerLink::linkDown, [this] { events << "down"; });
        QObject::connect(&link, &ServerLink::gaveUp, [this] { events << "gave up"; });
    }

    // Connects `link` to `server` and returns the server's side, LOGIN read.
    QTcpSocket* ConnectTo(QTcpServer& server) {
        QSignalSpy connected(&link, &ServerLink::connected);
        link.Connect(TargetFor(server.serverPort()));
        QTcpSocket* peer = Accept(server);
        EXPECT_NE(peer, nullptr);
        EXPECT_TRUE(WaitForCount(connected, 1));
        if (peer != nullptr) {
            EXPECT_EQ(ReadBytes(*peer, kLogin.size()), kLogin);
        }
        return peer;
    }

    ServerLink link;
    QStringList events;
};

TEST_F(ServerLinkTest, LogsInWithExactlyTheLoginBytesThenSends) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    link.SendToServer("EARLY"); // not connected yet: goes nowhere
    QTcpSocket* peer = ConnectTo(server);
    ASSERT_NE(peer, nullptr);
    EXPECT_TRUE(link.IsConnected());
    EXPECT_FALSE(link.isConnecting());

    link.SendToServer("BESTSHOT 0.100000 -3.000000 1");
    link.SendToServer("");
    const QByteArray expected = Zeroed("BESTSHOT 0.100000 -3.000000 1") + QByteArray(1, '\0');
    EXPECT_EQ(ReadBytes(*peer, expected.size()), expected);
    EXPECT_EQ(peer->bytesAvailable(), 0);
}

TEST_F(ServerLinkTest, DeliversTheMessagesOfOneWriteInOrder) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QTcpSocket* peer = ConnectTo(server);
    ASSERT_NE(peer, nullptr);
    QSignalSpy received(&link, &ServerLink::messageReceived);

    peer->write(Zeroed("NEWGAME red yellow") + Zeroed("ISREADY") + Zeroed("POSITION 1 2"));
    ASSERT_TRUE(WaitForCount(received, 3));
    EXPECT_EQ(events, (QStringList{"connected", "message NEWGAME red yellow", "message ISREADY",
                                   "message POSITION 1 2"}));
}

TEST_F(ServerLinkTest, JoinsAMessageSplitAcrossWrites) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QTcpSocket* peer = ConnectTo(server);
    ASSERT_NE(peer, nullptr);
    QSignalSpy received(&link, &ServerLink::messageReceived);

    peer->write(Zeroed("SETRAND 1") + "RUNSHOT 0.1");
    ASSERT_TRUE(WaitForCount(received, 1)); // the first part has been read
    peer->write(Zeroed(" -3.0 1"));
    ASSERT_TRUE(WaitForCount(received, 2));
    EXPECT_EQ(events,
              (QStringList{"connected", "message SETRAND 1", "message RUNSHOT 0.1 -3.0 1"}));
}

TEST_F(ServerLinkTest, DropsAnOverLongMessageAndKeepsTheNext) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QTcpSocket* peer = ConnectTo(server);
    ASSERT_NE(peer, nullptr);
    QSignalSpy received(&link, &ServerLink::messageReceived);
    QSignalSpy dropped(&link, &ServerLink::messagesDropped);

    peer->write(QByteArray(static_cast<qsizetype>(kDefaultMaxMessageLength) + 1, 'x') +
                QByteArray(1, '\0') + Zeroed("OK"));
    ASSERT_TRUE(WaitForCount(received, 1));
    ASSERT_EQ(dropped.count(), 1);
    EXPECT_EQ(dropped.at(0).at(0).value<qsizetype>(), 1);
    EXPECT_EQ(received.at(0).at(0).toByteArray(), "OK");
}

TEST_F(ServerLinkTest, RetriesUntilTheServerListensThenLogsIn) {
    const quint16 port = FreePort();
    QSignalSpy failures(&link, &ServerLink::connectAttemptFailed);
    QSignalSpy connected(&link, &ServerLink::connected);
    link.Connect(TargetFor(port));
    ASSERT_TRUE(WaitForCount(failures, 2)); // refused twice: it went on trying
    EXPECT_TRUE(link.isConnecting());
    EXPECT_FALSE(link.IsConnected());

    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, port));
    QTcpSocket* peer = Accept(server);
    ASSERT_NE(peer, nullptr);
    ASSERT_TRUE(WaitForCount(connected, 1));
    EXPECT_EQ(ReadBytes(*peer, kLogin.size()), kLogin);
    EXPECT_FALSE(events.contains("gave up"));
}

TEST_F(ServerLinkTest, ConnectsByHostName) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QSignalSpy connected(&link, &ServerLink::connected);
    link.Connect(TargetFor(server.serverPort(), QStringLiteral("localhost")));
    QTcpSocket* peer = Accept(server);
    ASSERT_NE(peer, nullptr);
    ASSERT_TRUE(WaitForCount(connected, 1));
    EXPECT_EQ(ReadBytes(*peer, kLogin.size()), kLogin);
}

// The server's last words before it closes are handled before the link is
// reported down, and the link is reported down once.
TEST_F(ServerLinkTest, ServerCloseDeliversLastMessagesThenReportsLinkDownOnce) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QTcpSocket* peer = ConnectTo(server);
    ASSERT_NE(peer, nullptr);
    QSignalSpy down(&link, &ServerLink::linkDown);

    peer->write(Zeroed("GAMEOVER"));
    peer->disconnectFromHost();
    ASSERT_TRUE(WaitForCount(down, 1));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(events, (QStringList{"connected", "message GAMEOVER", "down"}));
    EXPECT_FALSE(link.IsConnected());
    EXPECT_TRUE(link.hasLinkEnded());
    link.SendToServer("BESTSHOT 1 2 0"); // after the link: goes nowhere
}

// After a link has ended, a connect request is tried once: it succeeds while
// the server is up and gives up at the first failure once it is not.
TEST_F(ServerLinkTest, AfterALinkEndedAFailedAttemptGivesUp) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    const quint16 port = server.serverPort();
    QSignalSpy down(&link, &ServerLink::linkDown);
    QTcpSocket* peer = ConnectTo(server);
    ASSERT_NE(peer, nullptr);
    peer->disconnectFromHost();
    ASSERT_TRUE(WaitForCount(down, 1));

    peer = ConnectTo(server); // the server is still up: reconnects
    ASSERT_NE(peer, nullptr);
    server.close();
    peer->disconnectFromHost();
    ASSERT_TRUE(WaitForCount(down, 2));

    QSignalSpy failures(&link, &ServerLink::connectAttemptFailed);
    QSignalSpy gaveUp(&link, &ServerLink::gaveUp);
    link.Connect(TargetFor(port));
    ASSERT_TRUE(WaitForCount(gaveUp, 1));
    EXPECT_EQ(failures.count(), 1);
    EXPECT_FALSE(link.isConnecting());
    EXPECT_FALSE(link.IsConnected());
}

TEST_F(ServerLinkTest, ANewConnectClosesThePreviousLink) {
    QTcpServer first;
    QTcpServer second;
    ASSERT_TRUE(first.listen(QHostAddress::LocalHost));
    ASSERT_TRUE(second.listen(QHostAddress::LocalHost));
    QTcpSocket* oldPeer = ConnectTo(first);
    ASSERT_NE(oldPeer, nullptr);
    QSignalSpy oldClosed(oldPeer, &QTcpSocket::disconnected);

    QTcpSocket* newPeer = ConnectTo(second);
    ASSERT_NE(newPeer, nullptr);
    ASSERT_TRUE(oldClosed.count() > 0 || oldClosed.wait(kTimeoutMs));

    QSignalSpy received(&link, &ServerLink::messageReceived);
    oldPeer->write(Zeroed("STALE"));
    newPeer->write(Zeroed("FRESH"));
    ASSERT_TRUE(WaitForCount(received, 1));
    EXPECT_EQ(events, (QStringList{"connected", "connected", "message FRESH"}));
    EXPECT_FALSE(link.hasLinkEnded()); // closing it ourselves is no link end
}

TEST_F(ServerLinkTest, DisconnectDeliversWhatWasQueuedThenCloses) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
    QTcpSocket* peer = ConnectTo(server);
    ASSERT_NE(peer, nullptr);
    QSignalSpy closed(peer, &QTcpSocket::disconnected);
    link.SendToServer("READYOK");
    link.Disconnect(); // what was queued still arrives, then the link closes
    EXPECT_FALSE(link.IsConnected());
    EXPECT_EQ(ReadBytes(*peer, 8), Zeroed("READYOK"));
    ASSERT_TRUE(closed.count() > 0 || closed.wait(kTimeoutMs));
    EXPECT_FALSE(events.contains("down"));
}

} // namespace
} // namespace skerrow
