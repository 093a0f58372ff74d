#pragma once

#include "cli_options.h"
#include "match_report.h"
#include "physics_binding.h"
#include "relay_events.h"
#include "relay_ports.h"
#include "relay_session.h"

#include <QObject>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace skerrow {

// skerrow-cli's run: the relay with no window. It prints one line per event a
// person cares about and ends the event loop with the program's exit status:
// 0 when the server closes the link after the game is over, 1 on every
// failure.
class CliApp final : public QObject, public RelayEvents, public ReadyPrompt {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CliApp)

public:
    // `out` receives the event lines, `err` the failures (both not owned).
    CliApp(PhysicsBinding& physics, std::FILE* out, std::FILE* err, QObject* parent = nullptr);
    ~CliApp() override;

    // Starts the engine, and connects once it runs; returns false (having
    // said why) when the engine failed to start at once.
    bool Start(const CliOptions& options, const ConnectionSettings& settings);

Q_SIGNALS:
    // The run is over with this exit status, and the engine has ended.
    void finished(int exitStatus);

private:
    // RelayEvents: the report follows the server's messages as they arrive.
    void OnServerMessageReceived(std::string_view text, const ParseResult& parsed) override;
    // Said on the standard output, for the engine's author.
    void OnNotice(const RelayNotice& notice) override;
    // ReadyPrompt: only reached when the engine is gone; answered at once, so
    // the match does not stall on a question nobody sees.
    void AskReady() override;

    void Connect();
    void Say(const QString& line);
    void Fail(const QString& line);
    // Ends the run: the link closes, the engine gets the rest of its input
    // and its grace period, then finished() follows.
    void Finish(int status);

    std::FILE* m_out;
    std::FILE* m_err;
    std::unique_ptr<RelaySession> m_session;
    MatchReport m_report;
    QTimer m_connectTimer;
    ConnectionSettings m_settings;
    int m_connectTimeoutSeconds = 0;
    QString m_server;
    // Why the last connect attempt failed; said again only when it changes.
    QString m_attemptFailure;
    bool m_finished = false;
    int m_exitStatus = 1;
};

} // namespace skerrow
