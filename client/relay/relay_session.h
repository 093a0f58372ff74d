#pragma once

#include "connection_settings.h"
#include "engine_answer_check.h"
#include "engine_bridge.h"
#include "match_log.h"
#include "protocol_handler.h"
#include "relay_events.h"
#include "relay_ports.h"
#include "server_link.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <string_view>

namespace skerrow {

// One relay as both front ends run it: the server link, the engine process,
// the match log and the protocol handler, wired together on the event loop.
// The front end hears what happened through RelayEvents and the signals
// below, and supplies the readiness question, the shot planner and, when it
// has one, the replay; it reports back when a replay has ended and when the
// user has answered.
class RelaySession : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RelaySession)

public:
    // The engine's name until an engine is chosen.
    static constexpr std::string_view kDefaultEngineName = "Skerrow";

    // The collaborators are owned by the caller and outlive the session;
    // `replay` may be null (nothing to replay on). Match logs are written
    // below `logBase`/Log.
    RelaySession(RelayEvents& events, ReadyPrompt& ready, ShotPlanner& planner,
                 ReplayStarter* replay = nullptr, const std::filesystem::path& logBase = ".",
                 QObject* parent = nullptr);
    ~RelaySession() override;

    // Connects to the server and logs in with the settings once connected.
    // A link that is up is closed first, and with it the game's log; the
    // status says Connecting until the link is up.
    void ConnectTo(const ConnectionSettings& settings);
    // Stops connecting or closes the link, without the link-down steps.
    void Disconnect();

    // Starts the engine program, replacing any engine that runs (which is
    // stopped as StopEngine() does); the status carries its name.
    void StartEngine(const QString& program, const QStringList& arguments = {});
    // Stops the engine, letting it read all it was sent and end within the
    // grace period; engineStopped() follows once it has ended.
    void StopEngine();
    // True while a stopped or replaced engine has not ended yet.
    bool isEngineStopping() const { return m_engine.isStopping(); }
    // The grace period of a stopped engine, in milliseconds.
    void setEngineGracePeriod(int milliseconds) { m_engine.setGracePeriod(milliseconds); }

    // A line the user sends (the Send button, a mouse-composed shot).
    void SendUserLine(std::string_view line);

    // The replay started through ReplayStarter has ended.
    void OnReplayEnded();
    // The user answered the readiness question.
    void OnReadyAnswered();

    const ProtocolHandler& handler() const { return m_handler; }
    const MatchLog& log() const { return m_log; }
    bool isConnected() const { return m_link.IsConnected(); }
    bool isConnecting() const { return m_link.isConnecting(); }
    bool isEngineRunning() const { return m_engine.IsEngineRunning(); }
    // The engine's display name, or "Skerrow" before one was chosen.
    QString engineName() const { return m_engineName; }

Q_SIGNALS:
    // The link is up and LOGIN has been sent.
    void linkUp();
    // The server closed the link or it failed (`reason`); the log has been
    // closed and the messages received before have been shown.
    void linkDown(const QString& reason);
    // One connect attempt failed (`reason`); another follows unless
    // gaveUp() comes right after.
    void connectAttemptFailed(const QString& reason);
    // A connect request gave up (a link had already ended in this run);
    // `reason` is why its last attempt failed.
    void gaveUp(const QString& reason);
    // One message from the server, before the handler acts on it.
    void serverMessage(const QByteArray& message);
    // `count` over-long messages from the server or lines from the engine were
    // dropped.
    void messagesDropped(qsizetype count);
    // The engine program has started.
    void engineStarted();
    // The engine could not be started.
    void engineFailed(const QString& reason);
    // The engine ended during the run; the relay goes on without it.
    void engineExited(int exitCode, bool crashed);
    // The engine stopped reading (`pendingBytes` waited for it) and was
    // ended; the relay goes on without it.
    void engineStalled(qint64 pendingBytes);
    // Every engine stopped or replaced has ended.
    void engineStopped();

private:
    void OnServerMessage(const QByteArray& message);
    void OnEngineLine(const QByteArray& line);
    void OnLinkDown(const QString& reason);
    // Tells the front end how the link and the engine stand.
    void ReportStatus();

    RelayEvents& m_events;
    ServerLink m_link;
    EngineBridge m_engine;
    MatchLog m_log;
    ProtocolHandler m_handler;
    EngineAnswerCheck m_answers;
    QString m_engineName = QString::fromUtf8(kDefaultEngineName.data(),
                                             static_cast<qsizetype>(kDefaultEngineName.size()));
    // How the last link or request ended while none is up or asked for:
    // NotConnected before the first request, CouldNotConnect or Lost after.
    RelayStatus::Link m_linkEnding = RelayStatus::Link::NotConnected;
};

} // namespace skerrow
