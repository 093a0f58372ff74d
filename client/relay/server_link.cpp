#include "server_link.h"

#include "protocol_messages.h"

#include <QTcpSocket>

#include <utility>

namespace skerrow {

ServerLink::ServerLink(QObject* parent) : QObject(parent) {
    m_retryTimer.setSingleShot(true);
    m_retryTimer.setInterval(kRetryIntervalMs);
    connect(&m_retryTimer, &QTimer::timeout, this, &ServerLink::Attempt);
}

ServerLink::~ServerLink() {
    m_retryTimer.stop();
    if (m_socket != nullptr) {
        // Disconnected first, so that closing it calls back into nothing.
        disconnect(m_socket, nullptr, this, nullptr);
        delete m_socket;
    }
}

void ServerLink::Connect(const ConnectionTarget& target) {
    Disconnect();
    m_target = target;
    m_connecting = true;
    Attempt();
}

void ServerLink::Disconnect() {
    m_connecting = false;
    m_connected = false;
    DropSocket();
}

void ServerLink::SendToServer(std::string_view text) {
    if (!m_connected || m_socket == nullptr) {
        return;
    }
    QByteArray data(text.data(), static_cast<qsizetype>(text.size()));
    data.append('\0');
    m_socket->write(data);
}

void ServerLink::Attempt() {
    if (!m_connecting) {
        return;
    }
    if (m_socket == nullptr) {
        m_socket = new QTcpSocket(this);
        ++m_generation;
        m_framer = ZeroFramer();
        connect(m_socket, &QTcpSocket::connected, this, &ServerLink::OnSocketConnected);
        connect(m_socket, &QTcpSocket::errorOccurred, this, &ServerLink::OnSocketError);
        connect(m_socket, &QTcpSocket::disconnected, this, &ServerLink::OnSocketDisconnected);
        connect(m_socket, &QTcpSocket::readyRead, this, &ServerLink::ReadAvailable);
    } else {
        m_socket->abort();
    }
    m_socket->connectToHost(m_target.address, m_target.port);
}

void ServerLink::OnSocketConnected() {
    m_retryTimer.stop();
    m_connecting = false;
    m_connected = true;
    // LOGIN goes out before anything a slot of connected() might send.
    QByteArray login = QByteArray::fromStdString(
        Format(Login{m_target.id.toStdString(), m_target.password.toStdString(),
                     m_target.displayName.toStdString()}));
    login.append('\0');
    m_socket->write(login);
    emit connected();
}

void ServerLink::OnSocketError() {
    if (m_connected) {
        EndLink(m_socket->errorString());
        return;
    }
    // Errors before a connection are failed attempts. One attempt may report
    // more than once; the running retry timer shows it was already counted.
    if (!m_connecting || m_retryTimer.isActive()) {
        return;
    }
    const quint64 generation = m_generation;
    const QString reason = m_socket->errorString();
    emit connectAttemptFailed(reason);
    if (generation != m_generation || !m_connecting) {
        return; // a slot closed or replaced the request
    }
    if (m_linkEnded) {
        m_connecting = false;
        DropSocket();
        emit gaveUp(reason);
        return;
    }
    m_retryTimer.start();
}

void ServerLink::OnSocketDisconnected() {
    if (m_connected) {
        EndLink(QStringLiteral("the server closed the connection"));
    }
}

void ServerLink::ReadAvailable() {
    if (m_socket == nullptr || !m_connected) {
        return;
    }
    const quint64 generation = m_generation;
    const QByteArray bytes = m_socket->readAll();
    const FramedMessages out =
        m_framer.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    for (const std::string& message : out.messages) {
        emit messageReceived(QByteArray::fromStdString(message));
        if (generation != m_generation) {
            return; // a slot closed or replaced the link: the rest is stale
        }
    }
    if (out.dropped > 0) {
        emit messagesDropped(static_cast<qsizetype>(out.dropped));
    }
}

void ServerLink::EndLink(const QString& reason) {
    // Messages that arrived just before the close are handled before the
    // link is reported down (a GAMEOVER followed by the close, for example).
    const quint64 generation = m_generation;
    ReadAvailable();
    if (generation != m_generation || !m_connected) {
        return;
    }
    m_connected = false;
    m_linkEnded = true;
    DropSocket();
    emit linkDown(reason);
}

void ServerLink::DropSocket() {
    m_retryTimer.stop();
    if (m_socket == nullptr) {
        return;
    }
    ++m_generation;
    QTcpSocket* socket = std::exchange(m_socket, nullptr);
    disconnect(socket, nullptr, this, nullptr);
    if (socket->state() == QAbstractSocket::ConnectedState) {
        // Bytes already queued (a last BESTSHOT, say) still go out; the
        // socket frees itself once closed, or with this object.
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        socket->disconnectFromHost();
    } else {
        socket->abort();
        socket->deleteLater();
    }
}

} // namespace skerrow
