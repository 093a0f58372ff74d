#pragma once

#include "message_framing.h"
#include "relay_ports.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <string_view>

class QTcpSocket;

namespace skerrow {

// Where to connect and how to log in.
struct ConnectionTarget {
    QString address; // IPv4 text ("192.168.0.5") or a host name
    quint16 port = 0;
    QByteArray id;
    QByteArray password;
    QByteArray displayName;
};

// The TCP link to the match server. Connects (retrying every 500 ms until the
// server accepts), logs in, splits the server's byte stream into zero-ended
// messages and sends the relay's messages. Runs on the event loop of the
// thread it lives on; nothing blocks.
//
// Give-up rule: once a link has ended (the server closed it or it failed) in
// this object's life, a later connect request gives up at its first failed
// attempt instead of retrying; until then attempts go on without limit. A
// caller that wants a time limit calls Disconnect() when it runs out.
class ServerLink : public QObject, public ServerSender {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ServerLink)

public:
    // Pause between two connect attempts, in milliseconds.
    static constexpr int kRetryIntervalMs = 500;

    explicit ServerLink(QObject* parent = nullptr);
    ~ServerLink() override;

    // Closes any previous link or attempt (without linkDown()), then starts
    // connecting to `target`. On success sends "LOGIN id password name" and
    // one zero byte, then emits connected().
    void Connect(const ConnectionTarget& target);

    // Stops retrying and closes the link; what was already sent is still
    // delivered. Emits nothing and does not count as a link that ended.
    void Disconnect();

    // ServerSender
    bool IsConnected() const override { return m_connected; }
    // Queues `text` and one zero byte on the socket; never blocks. Does
    // nothing while not connected.
    void SendToServer(std::string_view text) override;

    // True from Connect() until connected, given up or disconnected.
    bool isConnecting() const { return m_connecting; }
    // True once a link has ended in this object's life; never cleared.
    bool hasLinkEnded() const { return m_linkEnded; }

Q_SIGNALS:
    // The server accepted the connection and LOGIN has been queued.
    void connected();
    // One message from the server, without its zero byte, in arrival order.
    void messageReceived(const QByteArray& message);
    // `count` server messages longer than the framer's cap were dropped.
    void messagesDropped(qsizetype count);
    // The link is down: the server closed it or it failed, as `reason` says.
    // Emitted once per link; after it the link can be opened again with
    // Connect().
    void linkDown(const QString& reason);
    // A connect attempt failed; another follows in kRetryIntervalMs unless
    // gaveUp() is emitted right after.
    void connectAttemptFailed(const QString& reason);
    // The connect request ended without a link (see the give-up rule);
    // `reason` is why the last attempt failed.
    void gaveUp(const QString& reason);

private:
    void Attempt();
    void OnSocketConnected();
    void OnSocketError();
    void OnSocketDisconnected();
    void ReadAvailable();
    void EndLink(const QString& reason);
    void DropSocket();

    QTcpSocket* m_socket = nullptr; // owned (child of this); null while idle
    ConnectionTarget m_target;
    ZeroFramer m_framer;
    QTimer m_retryTimer;
    // Bumped whenever the socket is replaced or dropped, so that a delivery
    // loop notices when a slot has closed or replaced the link under it.
    quint64 m_generation = 0;
    bool m_connected = false;
    bool m_connecting = false;
    bool m_linkEnded = false;
};

} // namespace skerrow
