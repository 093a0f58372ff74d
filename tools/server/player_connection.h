#pragma once

// One player's TCP connection to the match server: splits the byte stream
// into zero-terminated messages and sends the server's messages. Runs on the
// event loop; nothing blocks.

#include "message_framing.h"

#include <QByteArray>
#include <QObject>

#include <string_view>

class QTcpSocket;

namespace skerrow {

class PlayerConnection : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlayerConnection)

public:
    // Takes over `socket` (connected), making it its child.
    explicit PlayerConnection(QTcpSocket* socket, QObject* parent = nullptr);
    ~PlayerConnection() override;

    // Queues `text` and one zero byte. Does nothing once the connection is gone.
    void Send(std::string_view text);
    // Closes the connection once what was queued has been written; emits
    // closed() when it is down.
    void Close();
    // Drops the connection at once, without closed().
    void Abort();

    bool isOpen() const { return m_open; }
    // "address:port" of the peer, for remarks.
    QString peer() const;

Q_SIGNALS:
    // One message, without its zero byte, in arrival order.
    void messageReceived(const QByteArray& message);
    // `count` messages longer than the framer's cap were dropped.
    void messagesDropped(qsizetype count);
    // The connection is down (the peer closed it, it failed, or Close()
    // finished). Emitted once, after every message that arrived before it.
    void closed();

private:
    void ReadAvailable();
    void OnDisconnected();

    QTcpSocket* m_socket;
    ZeroFramer m_framer;
    bool m_open = true;
};

} // namespace skerrow
