#include "player_connection.h"

#include <QTcpSocket>

namespace skerrow {

PlayerConnection::PlayerConnection(QTcpSocket* socket, const MatchClock& clock, QObject* parent)
    : QObject(parent), m_socket(socket), m_clock(clock) {
    m_socket->setParent(this);
    // A full buffer stops the socket reading until this side has taken what
    // it holds: each turn of the event loop reads each player once.
    m_socket->setReadBufferSize(kReadChunk);
    // Every message leaves when it is sent: without this, a GO that follows
    // POSITION and SETSTATE waits for the player's delayed acknowledgement
    // (some 40 ms), and the player's clock runs meanwhile.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(m_socket, &QTcpSocket::readyRead, this, &PlayerConnection::ReadAvailable);
    connect(m_socket, &QTcpSocket::disconnected, this, &PlayerConnection::OnDisconnected);
    // A socket that fails without ever having been up emits no disconnected().
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this] {
        if (m_socket->state() == QAbstractSocket::UnconnectedState) {
            OnDisconnected();
        }
    });
    if (m_socket->state() != QAbstractSocket::ConnectedState) {
        m_open = false;
    }
}

PlayerConnection::~PlayerConnection() {
    // Nothing calls back while the socket is torn down.
    disconnect(m_socket, nullptr, this, nullptr);
}

void PlayerConnection::Send(std::string_view text) {
    if (!m_open) {
        return;
    }
    QByteArray data(text.data(), static_cast<qsizetype>(text.size()));
    data.append('\0');
    m_socket->write(data);
    m_socket->flush();
}

void PlayerConnection::Close() {
    if (m_open) {
        m_socket->disconnectFromHost();
    }
}

void PlayerConnection::Abort() {
    m_open = false;
    disconnect(m_socket, nullptr, this, nullptr);
    m_socket->abort();
}

QString PlayerConnection::peer() const {
    return QStringLiteral("%1:%2")
        .arg(m_socket->peerAddress().toString())
        .arg(m_socket->peerPort());
}

void PlayerConnection::ReadAvailable() {
    const qint64 receivedMs = m_clock.NowMs();
    const QByteArray bytes = m_socket->read(kReadChunk);
    const FramedMessages framed =
        m_framer.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    if (framed.dropped > 0) {
        Q_EMIT messagesDropped(static_cast<qsizetype>(framed.dropped));
    }
    for (const std::string& message : framed.messages) {
        if (!m_open) {
            break; // a handler above closed the connection
        }
        Q_EMIT messageReceived(QByteArray(message.data(), static_cast<qsizetype>(message.size())),
                               receivedMs);
    }
}

void PlayerConnection::OnDisconnected() {
    if (!m_open) {
        return;
    }
    while (m_open && m_socket->bytesAvailable() > 0) {
        ReadAvailable();
    }
    m_open = false;
    Q_EMIT closed();
}

} // namespace skerrow
