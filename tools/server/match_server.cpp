#include "match_server.h"

#include "descriptor_limit.h"
#include "json_line.h"
#include "login_check.h"
#include "player_connection.h"
#include "protocol_messages.h"

#include <QDir>
#include <QHostAddress>
#include <QTcpSocket>

#include <algorithm>
#include <chrono>
#include <climits>
#include <random>
#include <utility>

namespace skerrow {

namespace {

// The start of a player's message for a remark: quoted and escaped, so that
// whatever it holds, it cannot break the remark's line or act on a terminal.
std::string Quoted(const QByteArray& message) {
    constexpr qsizetype kShown = 80;
    const QByteArray shown = message.left(kShown);
    std::string text = JsonLine::Quote(
        std::string_view(shown.constData(), static_cast<std::size_t>(shown.size())));
    if (message.size() > kShown) {
        text += "...";
    }
    return text;
}

std::string_view View(const QByteArray& bytes) {
    return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

std::string OverLong() {
    return "a message longer than " + std::to_string(kDefaultMaxMessageLength) + " bytes";
}

} // namespace

MatchServer::MatchServer(ServerOptions options, std::FILE* out, std::FILE* err, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_out(out), m_err(err),
      m_mostWaiting(MostWaitingConnections(OpenDescriptorLimit())) {
    m_alarm.setSingleShot(true);
    m_alarm.setTimerType(Qt::PreciseTimer);
    connect(&m_alarm, &QTimer::timeout, this, [this] {
        if (m_referee) {
            m_referee->OnAlarm();
        }
    });
    m_closeTimer.setSingleShot(true);
    connect(&m_closeTimer, &QTimer::timeout, this, [this] {
        for (PlayerConnection* connection : m_seats) {
            if (connection != nullptr && connection->isOpen()) {
                Note("a player did not close its connection; dropped");
                connection->Abort();
            }
        }
        FinishWhenClosed();
    });
    connect(&m_listener, &QTcpServer::newConnection, this, &MatchServer::OnNewConnection);
    // The listener stops accepting after a failure other than a passing one
    // (out of descriptors, say); it is polled again after a pause.
    connect(&m_listener, &QTcpServer::acceptError, this, &MatchServer::OnAcceptError);
    m_acceptRetry.setSingleShot(true);
    connect(&m_acceptRetry, &QTimer::timeout, this, [this] {
        if (m_listener.isListening() && !m_referee) {
            m_listener.resumeAccepting();
        }
    });
}

MatchServer::~MatchServer() {
    m_alarm.stop();
    // The connections go before the referee and the record they report to.
    qDeleteAll(findChildren<PlayerConnection*>(Qt::FindDirectChildrenOnly));
}

bool MatchServer::Start() {
    if (m_options.seed) {
        m_options.match.seed = *m_options.seed;
    } else {
        std::random_device entropy;
        m_options.match.seed = (static_cast<std::uint64_t>(entropy()) << 32) ^ entropy();
        Note("match seed " + std::to_string(m_options.match.seed) + " (--seed " +
             std::to_string(m_options.match.seed) + " replays the match)");
    }
    if (!m_options.recordsFolder.isEmpty() && !QDir().mkpath(m_options.recordsFolder)) {
        Say(m_err, QStringLiteral("skerrow-server: cannot create the records folder %1")
                       .arg(m_options.recordsFolder));
        return false;
    }
    const QHostAddress address(m_options.address);
    if (!m_listener.listen(address, m_options.port)) {
        Say(m_err, QStringLiteral("skerrow-server: cannot listen on %1 port %2: %3")
                       .arg(m_options.address)
                       .arg(m_options.port)
                       .arg(m_listener.errorString()));
        return false;
    }
    m_port = m_listener.serverPort();
    const QString shown = address.protocol() == QAbstractSocket::IPv6Protocol
                              ? QStringLiteral("[%1]").arg(address.toString())
                              : address.toString();
    Say(m_out, QStringLiteral("Listening on %1:%2").arg(shown).arg(m_port));
    return true;
}

void MatchServer::OnNewConnection() {
    if (m_acceptFailing) {
        m_acceptFailing = false;
        Note("accepting connections again");
    }
    while (QTcpSocket* socket = m_listener.nextPendingConnection()) {
        if (m_referee) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        if (WaitingCount() >= m_mostWaiting) {
            if (m_refused++ == 0) {
                Note(std::to_string(m_mostWaiting) +
                     " connections wait to log in; further connections are refused until one "
                     "leaves");
            }
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto* connection = new PlayerConnection(socket, m_clock, this);
        Note(QStringLiteral("connection from %1").arg(connection->peer()).toStdString());
        connect(connection, &PlayerConnection::messageReceived, this,
                [this, connection](const QByteArray& message, qint64 receivedMs) {
                    OnMessage(connection, message, receivedMs);
                });
        connect(connection, &PlayerConnection::messagesDropped, this,
                [this, connection](qsizetype count) { OnDropped(connection, count); });
        // Queued, so that a connection that goes down while the referee is
        // still at work on one of its calls is reported after that call.
        connect(
            connection, &PlayerConnection::closed, connection,
            [this, connection] {
                const int seat = SeatOf(connection);
                if (m_referee && seat >= 0) {
                    m_referee->OnDisconnected(seat);
                    if (m_referee->isOver()) {
                        FinishWhenClosed();
                    }
                } else {
                    OnLobbyClosed(connection);
                }
            },
            Qt::QueuedConnection);
        QTimer::singleShot(std::chrono::milliseconds(m_options.match.readyMs), connection,
                           [this, connection] {
                               if (SeatOf(connection) < 0 && connection->isOpen()) {
                                   Drop(connection, QStringLiteral("sent no LOGIN in time"));
                               }
                           });
    }
}

void MatchServer::OnAcceptError() {
    // Qt's socket keeps the first error it meets: after one failed accept,
    // each later empty backlog reads as that failure too, and the listener
    // stops again. So every stop is followed by a retry, and only the first
    // failure is remarked on.
    if (!m_acceptFailed) {
        m_acceptFailed = true;
        m_acceptFailing = true;
        Note("cannot accept a connection (" + m_listener.errorString().toStdString() +
             "); trying again every " + std::to_string(kAcceptRetryMs) + " ms");
    }
    m_acceptRetry.start(kAcceptRetryMs);
}

void MatchServer::OnMessage(PlayerConnection* connection, const QByteArray& message,
                            qint64 receivedMs) {
    const int seat = SeatOf(connection);
    if (m_referee && seat >= 0) {
        m_referee->OnMessage(seat, View(message), receivedMs);
    } else if (seat >= 0) {
        IgnoreInLobby(seat, &message);
    } else {
        LogIn(connection, message);
    }
}

void MatchServer::OnDropped(PlayerConnection* connection, qsizetype count) {
    const int seat = SeatOf(connection);
    if (m_referee && seat >= 0) {
        m_referee->OnDropped(seat, static_cast<std::size_t>(count));
    } else if (seat >= 0) {
        for (qsizetype i = 0; i < count && m_seats[seat] == connection; ++i) {
            IgnoreInLobby(seat, nullptr);
        }
    } else if (connection->isOpen()) {
        Drop(connection, QString::fromStdString("sent " + OverLong() + " instead of LOGIN"));
    }
}

void MatchServer::LogIn(PlayerConnection* connection, const QByteArray& message) {
    const ParseResult parsed = Parse(View(message), Reading::Strict);
    const Login* login = std::get_if<Login>(&parsed);
    if (login == nullptr) {
        Drop(connection, QString::fromStdString("sent " + Quoted(message) + " instead of LOGIN"));
        return;
    }
    if (const std::optional<std::string> fault = LoginFault(*login)) {
        Drop(connection,
             QString::fromStdString("sent a LOGIN that is refused: " + *fault +
                                    " (ids and names are at most " + std::to_string(kMaxNameBytes) +
                                    " bytes of UTF-8 without control characters)"));
        return;
    }
    const int free = m_seats[0] == nullptr ? 0 : 1;
    m_seats[free] = connection;
    m_names[free] = login->name;
    m_lobbyUnasked[free].Reset();
    Note(login->name + " logged in as " + login->id + " from " + connection->peer().toStdString());
    ReportRefusals();
    if (m_seats[0] != nullptr && m_seats[1] != nullptr) {
        StartMatch();
    }
}

void MatchServer::IgnoreInLobby(int seat, const QByteArray* message) {
    const UnaskedMessages::Verdict verdict = m_lobbyUnasked[seat].Add(
        message ? static_cast<std::size_t>(message->size()) : kDefaultMaxMessageLength);
    if (verdict == UnaskedMessages::Verdict::OverLimit) {
        PlayerConnection* connection = m_seats[seat];
        Note(m_names[seat] + " sent more than " + UnaskedMessages::LimitsText() +
             " while waiting for an opponent; disconnected");
        FreeSeat(seat);
        connection->Abort();
        connection->deleteLater();
        return;
    }
    if (verdict == UnaskedMessages::Verdict::Show) {
        Note(m_names[seat] + " waits for an opponent; ignored " +
             (message ? Quoted(*message) : OverLong()));
    }
}

void MatchServer::OnLobbyClosed(PlayerConnection* connection) {
    const int seat = SeatOf(connection);
    if (seat >= 0) {
        Note(m_names[seat] + " left before the match began");
        FreeSeat(seat);
    }
    connection->deleteLater();
    ReportRefusals();
}

void MatchServer::FreeSeat(int seat) {
    SummariseLobby(seat);
    m_seats[seat] = nullptr;
    m_lobbyUnasked[seat].Reset();
}

void MatchServer::SummariseLobby(int seat) {
    if (m_lobbyUnasked[seat].hidden() > 0) {
        Note(m_names[seat] + " sent " + std::to_string(m_lobbyUnasked[seat].count()) +
             " messages while waiting for an opponent; the first " +
             std::to_string(UnaskedMessages::kShown) + " are shown above");
    }
}

void MatchServer::Drop(PlayerConnection* connection, const QString& reason) {
    Note(QStringLiteral("%1 %2; connection closed").arg(connection->peer(), reason).toStdString());
    connection->Abort();
    connection->deleteLater();
    ReportRefusals();
}

int MatchServer::WaitingCount() const {
    int waiting = 0;
    for (const PlayerConnection* connection :
         findChildren<PlayerConnection*>(Qt::FindDirectChildrenOnly)) {
        waiting += connection->isOpen() && SeatOf(connection) < 0 ? 1 : 0;
    }
    return waiting;
}

void MatchServer::ReportRefusals() {
    if (m_refused > 0 && WaitingCount() < m_mostWaiting) {
        Note("refused " + std::to_string(m_refused) + " connection(s) while " +
             std::to_string(m_mostWaiting) + " waited to log in");
        m_refused = 0;
    }
}

void MatchServer::StartMatch() {
    m_listener.close();
    for (PlayerConnection* connection :
         findChildren<PlayerConnection*>(Qt::FindDirectChildrenOnly)) {
        if (SeatOf(connection) < 0 && connection->isOpen()) {
            Drop(connection, QStringLiteral("came after the two players"));
        }
    }
    SummariseLobby(0);
    SummariseLobby(1);
    ReportRefusals();
    Note(m_names[0] + " and " + m_names[1] + " play");
    RefereeHost& host = *this;
    m_referee = std::make_unique<MatchReferee>(m_options.match, m_names, host, m_clock, m_shots);
    m_referee->Start();
}

int MatchServer::SeatOf(const PlayerConnection* connection) const {
    for (int seat = 0; seat < 2; ++seat) {
        if (m_seats[seat] == connection) {
            return seat;
        }
    }
    return -1;
}

void MatchServer::CloseAll() {
    if (m_finished) {
        return;
    }
    m_alarm.stop();
    for (PlayerConnection* connection : m_seats) {
        if (connection != nullptr) {
            connection->Close();
        }
    }
    m_closeTimer.start(kCloseWaitMs);
    FinishWhenClosed();
}

void MatchServer::FinishWhenClosed() {
    const bool open = std::any_of(m_seats.begin(), m_seats.end(),
                                  [](PlayerConnection* c) { return c != nullptr && c->isOpen(); });
    if (open || m_finished) {
        return;
    }
    m_finished = true;
    m_closeTimer.stop();
    Q_EMIT finished(0);
}

void MatchServer::SendTo(int seat, std::string_view text) {
    if (seat >= 0 && seat < 2 && m_seats[seat] != nullptr) {
        m_seats[seat]->Send(text);
    }
}

void MatchServer::Disconnect(int seat) {
    if (seat >= 0 && seat < 2 && m_seats[seat] != nullptr) {
        m_seats[seat]->Abort();
    }
}

void MatchServer::SetAlarm(std::optional<std::int64_t> delayMs) {
    if (!delayMs) {
        m_alarm.stop();
        return;
    }
    m_alarm.start(std::chrono::milliseconds(std::clamp<std::int64_t>(*delayMs, 0, INT_MAX)));
}

void MatchServer::BeginRecord(int game, const std::string& red, const std::string& yellow) {
    if (m_options.recordsFolder.isEmpty()) {
        return;
    }
    if (!m_record.Open(m_options.recordsFolder, game, red, yellow)) {
        Note("cannot write the record " + m_record.fileName().toStdString() + ": " +
             m_record.errorString().toStdString());
    }
}

void MatchServer::WriteRecord(std::string_view line) {
    if (m_record.isOpen() && !m_record.WriteLine(line)) {
        Note("cannot write the record " + m_record.fileName().toStdString() + ": " +
             m_record.errorString().toStdString());
        m_record.Close();
    }
}

void MatchServer::EndRecord() {
    m_record.Close();
}

void MatchServer::Announce(std::string_view line) {
    Say(m_out, QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
}

void MatchServer::Note(std::string_view line) {
    Say(m_err, QStringLiteral("skerrow-server: ") +
                   QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size())));
}

void MatchServer::MatchOver() {
    // Not from inside the referee's call: closing may report at once.
    QTimer::singleShot(0, this, &MatchServer::CloseAll);
}

void MatchServer::Say(std::FILE* stream, const QString& line) {
    std::fprintf(stream, "%s\n", line.toUtf8().constData());
    std::fflush(stream);
}

} // namespace skerrow
