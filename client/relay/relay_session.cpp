#include "relay_session.h"

#include "protocol_words.h"

namespace skerrow {

namespace {

// The server message line shows "Server: " and the message in a 1024-byte
// text: longer messages are shown cut.
constexpr qsizetype kShownMessageBytes = 1014;

} // namespace

RelaySession::RelaySession(MatchDisplay& display, ReplayStarter& replay, ReadyPrompt& ready,
                           ShotPlanner& planner, const std::filesystem::path& logBase,
                           QObject* parent)
    : QObject(parent), m_display(display), m_log(logBase),
      m_handler({m_link, m_engine, display, replay, ready, planner, m_log}) {
    connect(&m_link, &ServerLink::connected, this, [this] {
        ShowTitle();
        Q_EMIT linkUp();
    });
    connect(&m_link, &ServerLink::messageReceived, this, &RelaySession::OnServerMessage);
    connect(&m_link, &ServerLink::messagesDropped, this, &RelaySession::messagesDropped);
    connect(&m_link, &ServerLink::linkDown, this, &RelaySession::OnLinkDown);
    connect(&m_link, &ServerLink::gaveUp, this, &RelaySession::gaveUp);
    connect(&m_engine, &EngineBridge::lineReceived, this, [this](const QByteArray& line) {
        m_handler.OnLocalMessage(std::string_view(line.constData(), line.size()));
    });
    connect(&m_engine, &EngineBridge::linesDropped, this, &RelaySession::messagesDropped);
    connect(&m_engine, &EngineBridge::failedToStart, this, &RelaySession::engineFailed);
    connect(&m_engine, &EngineBridge::exited, this, &RelaySession::engineExited);
}

// The engine is stopped by its bridge; the log closes with MatchLog.
RelaySession::~RelaySession() = default;

void RelaySession::ConnectTo(const ConnectionSettings& settings) {
    ConnectionTarget target;
    target.address = QString::fromStdString(settings.address);
    target.port = settings.port;
    target.id = QByteArray::fromStdString(settings.id);
    target.password = QByteArray::fromStdString(settings.password);
    target.displayName = QByteArray::fromStdString(settings.displayName);
    m_link.Connect(target);
}

void RelaySession::Disconnect() {
    m_link.Disconnect();
}

void RelaySession::StartEngine(const QString& program, const QStringList& arguments) {
    m_engine.Start(program, arguments);
    m_engineName = m_engine.displayName();
    ShowTitle();
}

void RelaySession::SendUserLine(std::string_view line) {
    m_handler.OnLocalMessage(line);
}

void RelaySession::OnReplayEnded() {
    m_handler.OnReplayEnded();
}

void RelaySession::OnReadyAnswered() {
    m_handler.OnReadyAnswered();
}

void RelaySession::OnServerMessage(const QByteArray& message) {
    const std::string_view text(message.constData(), static_cast<std::size_t>(message.size()));
    const QByteArray shown = "Server: " + message.left(kShownMessageBytes);
    m_display.ShowText(ControlId::ServerMessage, std::string_view(shown.constData(), shown.size()));
    Q_EMIT serverMessage(message);
    m_handler.OnServerMessage(text);
}

void RelaySession::OnLinkDown() {
    // The link-down steps come after the messages received before it, which
    // may still wait for a replay.
    m_handler.OnServerLinkDown([this] {
        ShowTitle();
        Q_EMIT linkDown();
    });
}

void RelaySession::ShowTitle() {
    const QString title = m_engineName + (m_link.IsConnected() ? QStringLiteral(" - 接続")
                                                               : QStringLiteral(" - 未接続"));
    m_display.SetWindowTitle(title.toStdString());
}

} // namespace skerrow
