#pragma once

// Shared by the window's tests: waiting on the event loop, and a match server
// on loopback whose every byte the test writes and reads.

#include "event_loop_wait.h"

#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

namespace skerrow::test {

// A match server that takes one client.
class LoopbackServer {
public:
    LoopbackServer() { EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost)); }

    quint16 port() const { return m_server.serverPort(); }

    // Waits for the client to connect.
    bool Accept() {
        if (!WaitFor([this] { return m_server.hasPendingConnections(); })) {
            return false;
        }
        m_client = m_server.nextPendingConnection();
        return m_client != nullptr;
    }

    void Send(const QByteArray& bytes) {
        m_client->write(bytes);
        m_client->flush();
    }

    // Reads until everything received so far contains `expected`; returns
    // all received.
    QByteArray ReadUntil(const QByteArray& expected) {
        WaitFor([&] {
            m_received += m_client->readAll();
            return m_received.contains(expected);
        });
        return m_received;
    }

    // Everything received so far.
    QByteArray Received() {
        m_received += m_client->readAll();
        return m_received;
    }

    void Close() { m_client->disconnectFromHost(); }

private:
    QTcpServer m_server;
    QTcpSocket* m_client = nullptr;
    QByteArray m_received;
};

} // namespace skerrow::test
