#pragma once

// One player's TCP connection to the match server: splits the byte stream
// into zero-terminated messages and sends the server's messages. Runs on the
// event loop; nothing blocks.
//
// It reads at most kReadChunk bytes per turn of the event loop, so that a
// player that floods the server is read no faster than the other, whose
// answer is then handled at once; and it stamps what it reads with the time
// of the read, so that an answer is timed by when it arrived.

#include "message_framing.h"
#include "referee_ports.h"

#include <QByteArray>
#include <QObject>

#include <string_view>

class QTcpSocket;

namespace skerrow {

class PlayerConnection : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlayerConnection)

public:
    // Bytes read from the socket at most per turn of the event loop; also
    // the most that waits unread in the connection's own buffer.
    static constexpr qint64 kReadChunk = 64 * 1024;

    // Takes over `socket` (connected), making it its child. `clock` stamps
    // the messages read and must outlive the connection.
    PlayerConnection(QTcpSocket* socket, const MatchClock& clock, QObject* parent = nullptr);
    ~PlayerConnection() override;

    // Queues `text` and one zero byte and writes as much as the socket takes
    // at once (a GO leaves when the clock starts, not when the event loop
    // next turns). Does nothing once the connection is gone.
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
    // One message, without its zero byte, in arrival order; `receivedMs` is
    // the clock's time when it was read from the socket.
    void messageReceived(const QByteArray& message, qint64 receivedMs);
    // `count` messages longer than the framer's cap were dropped.
    void messagesDropped(qsizetype count);
    // The connection is down (the peer closed it, it failed, or Close()
    // finished). Emitted once, after every message that arrived before it.
    void closed();

private:
    void ReadAvailable();
    void OnDisconnected();

    QTcpSocket* m_socket;
    const MatchClock& m_clock;
    ZeroFramer m_framer;
    bool m_open = true;
};

} // namespace skerrow
