#include "relay_session.h"

#include "printable_text.h"

namespace skerrow {

RelaySession::RelaySession(RelayEvents& events, ReadyPrompt& ready, ShotPlanner& planner,
                           ReplayStarter* replay, const std::filesystem::path& logBase,
                           QObject* parent)
    : QObject(parent), m_events(events), m_log(logBase),
      m_handler({m_link, m_engine, events, replay, ready, planner, m_log}) {
    connect(&m_link, &ServerLink::connected, this, [this] {
        ReportStatus();
        Q_EMIT linkUp();
    });
    connect(&m_link, &ServerLink::messageReceived, this, &RelaySession::OnServerMessage);
    connect(&m_link, &ServerLink::messagesDropped, this, &RelaySession::messagesDropped);
    connect(&m_link, &ServerLink::linkDown, this, &RelaySession::OnLinkDown);
    connect(&m_link, &ServerLink::connectAttemptFailed, this, &RelaySession::connectAttemptFailed);
    connect(&m_link, &ServerLink::gaveUp, this, [this](const QString& reason) {
        m_linkEnding = RelayStatus::Link::CouldNotConnect;
        ReportStatus();
        Q_EMIT gaveUp(reason);
    });
    connect(&m_engine, &EngineBridge::started, this, &RelaySession::engineStarted);
    connect(&m_engine, &EngineBridge::lineReceived, this, &RelaySession::OnEngineLine);
    connect(&m_engine, &EngineBridge::linesDropped, this, &RelaySession::messagesDropped);
    connect(&m_engine, &EngineBridge::failedToStart, this, &RelaySession::engineFailed);
    connect(&m_engine, &EngineBridge::exited, this, &RelaySession::engineExited);
    connect(&m_engine, &EngineBridge::stalled, this, &RelaySession::engineStalled);
    connect(&m_engine, &EngineBridge::stopped, this, &RelaySession::engineStopped);
}

// The engine is stopped by its bridge; the log closes with MatchLog.
RelaySession::~RelaySession() = default;

void RelaySession::ConnectTo(const ConnectionSettings& settings) {
    if (m_link.IsConnected()) {
        // The game on the old link is over for this program: its log closes
        // now, after what it received.
        m_handler.OnServerLinkDown([] {});
    }
    ConnectionTarget target;
    target.address = QString::fromStdString(settings.address);
    target.port = settings.port;
    target.id = QByteArray::fromStdString(settings.id);
    target.password = QByteArray::fromStdString(settings.password);
    target.displayName = QByteArray::fromStdString(settings.displayName);
    m_linkEnding = RelayStatus::Link::NotConnected;
    m_link.Connect(target);
    ReportStatus();
}

void RelaySession::Disconnect() {
    m_link.Disconnect();
}

void RelaySession::StartEngine(const QString& program, const QStringList& arguments) {
    m_answers.Reset();
    m_engine.Start(program, arguments);
    m_engineName = QString::fromStdString(PrintableText(m_engine.displayName().toStdString()));
    ReportStatus();
}

void RelaySession::StopEngine() {
    m_engine.Stop();
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
    if (m_link.IsConnected() && m_engine.IsEngineRunning()) {
        // What the engine is about to get, as it gets it: up to a newline.
        m_answers.OnServerMessage(text.substr(0, text.find('\n')));
    }
    Q_EMIT serverMessage(message);
    m_handler.OnServerMessage(text);
}

void RelaySession::OnEngineLine(const QByteArray& line) {
    const std::string_view text(line.constData(), static_cast<std::size_t>(line.size()));
    // Judged before it is handed on: the server's reply to it may follow at
    // once.
    const std::optional<RelayNotice> notice = m_answers.OnEngineLine(text);
    m_handler.OnLocalMessage(text);
    if (notice) {
        m_events.OnNotice(*notice);
    }
}

void RelaySession::OnLinkDown(const QString& reason) {
    // The link-down steps come after the messages received before it, which
    // may still wait for a replay.
    m_handler.OnServerLinkDown([this, reason] {
        m_linkEnding = RelayStatus::Link::Lost;
        ReportStatus();
        Q_EMIT linkDown(reason);
    });
}

void RelaySession::ReportStatus() {
    RelayStatus status;
    if (m_link.IsConnected()) {
        status.link = RelayStatus::Link::Connected;
    } else if (m_link.isConnecting()) {
        status.link = RelayStatus::Link::Connecting;
    } else {
        status.link = m_linkEnding;
    }
    status.engineName = m_engineName.toStdString();
    m_events.OnRelayStatusChanged(status);
}

} // namespace skerrow
