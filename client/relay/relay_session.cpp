#include "relay_session.h"

#include "printable_text.h"

namespace skerrow {

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
    connect(&m_link, &ServerLink::connectAttemptFailed, this, &RelaySession::connectAttemptFailed);
    connect(&m_link, &ServerLink::gaveUp, this, [this](const QString& reason) {
        m_linkProblem = QStringLiteral("接続できませんでした");
        ShowTitle();
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
    m_linkProblem.clear();
    m_link.Connect(target);
    ShowTitle();
}

void RelaySession::Disconnect() {
    m_link.Disconnect();
}

void RelaySession::StartEngine(const QString& program, const QStringList& arguments) {
    m_answers.Reset();
    m_engine.Start(program, arguments);
    m_engineName = QString::fromStdString(PrintableText(m_engine.displayName().toStdString()));
    ShowTitle();
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
        m_display.ShowNotice(*notice);
    }
}

void RelaySession::OnLinkDown(const QString& reason) {
    // The link-down steps come after the messages received before it, which
    // may still wait for a replay.
    m_handler.OnServerLinkDown([this, reason] {
        m_linkProblem = QStringLiteral("接続が切れました");
        ShowTitle();
        Q_EMIT linkDown(reason);
    });
}

void RelaySession::ShowTitle() {
    QString state;
    if (m_link.IsConnected()) {
        state = QStringLiteral("接続");
    } else if (m_link.isConnecting()) {
        state = QStringLiteral("接続中…");
    } else if (m_linkProblem.isEmpty()) {
        state = QStringLiteral("未接続");
    } else {
        state = QStringLiteral("未接続（%1）").arg(m_linkProblem);
    }
    m_display.SetWindowTitle((m_engineName + QStringLiteral(" - ") + state).toStdString());
}

} // namespace skerrow
