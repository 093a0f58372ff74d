#include "cli_app.h"

#include "printable_text.h"

namespace skerrow {

namespace {

// Longest part of an engine's line quoted in a notice, in bytes.
constexpr std::size_t kQuotedLineBytes = 200;

QString Quoted(const std::string& line) {
    return QStringLiteral("\"%1\"").arg(
        QString::fromStdString(PrintableText(line, kQuotedLineBytes)));
}

} // namespace

CliApp::CliApp(PhysicsBinding& physics, std::FILE* out, std::FILE* err, QObject* parent)
    : QObject(parent), m_out(out), m_err(err),
      // No replay: there is nothing to show it on, so no message waits.
      m_session(std::make_unique<RelaySession>(*this, *this, physics)) {
    m_connectTimer.setSingleShot(true);
    connect(&m_connectTimer, &QTimer::timeout, this, [this] {
        QString line = QStringLiteral("Could not reach the server at %1 within %2 s")
                           .arg(m_server)
                           .arg(m_connectTimeoutSeconds);
        if (!m_attemptFailure.isEmpty()) {
            line += QStringLiteral(" (last attempt: %1)").arg(m_attemptFailure);
        }
        Fail(line + QLatin1Char('.'));
    });

    connect(m_session.get(), &RelaySession::engineStarted, this, [this] {
        Say(QStringLiteral("Engine %1 started.").arg(m_session->engineName()));
        Connect();
    });
    connect(m_session.get(), &RelaySession::linkUp, this, [this] {
        m_connectTimer.stop();
        Say(QStringLiteral("Connected to %1; logged in.").arg(m_server));
    });
    connect(m_session.get(), &RelaySession::connectAttemptFailed, this,
            [this](const QString& reason) {
                if (reason == m_attemptFailure) {
                    return;
                }
                m_attemptFailure = reason;
                Say(QStringLiteral("Could not connect to %1: %2; trying again every 0.5 s for "
                                   "up to %3 s.")
                        .arg(m_server, reason)
                        .arg(m_connectTimeoutSeconds));
            });
    connect(m_session.get(), &RelaySession::linkDown, this, [this](const QString& reason) {
        if (m_report.gameOver()) {
            Say(QStringLiteral("The server closed the link."));
            Finish(0);
        } else {
            Fail(QStringLiteral("The link to the server went down before the game was over: %1.")
                     .arg(reason));
        }
    });
    connect(m_session.get(), &RelaySession::gaveUp, this, [this](const QString& reason) {
        Fail(QStringLiteral("Could not reach the server at %1: %2.").arg(m_server, reason));
    });
    connect(m_session.get(), &RelaySession::messagesDropped, this, [this](qsizetype count) {
        Say(QStringLiteral("Dropped %1 over-long message(s).").arg(count));
    });
    connect(m_session.get(), &RelaySession::engineFailed, this, [this](const QString& reason) {
        Fail(QStringLiteral("The engine could not be started: %1").arg(reason));
    });
    connect(m_session.get(), &RelaySession::engineExited, this, [this](int code, bool crashed) {
        Say(crashed ? QStringLiteral("The engine crashed; the relay goes on without it.")
                    : QStringLiteral("The engine exited with status %1; the relay goes on "
                                     "without it.")
                          .arg(code));
    });
    connect(m_session.get(), &RelaySession::engineStalled, this, [this](qint64 pending) {
        Say(QStringLiteral("The engine stopped reading its input (%1 bytes waited for it); it "
                           "was ended as stalled and the relay goes on without it.")
                .arg(pending));
    });
    connect(m_session.get(), &RelaySession::engineStopped, this, [this] {
        if (m_finished) {
            Q_EMIT finished(m_exitStatus);
        }
    });
}

CliApp::~CliApp() = default;

bool CliApp::Start(const CliOptions& options, const ConnectionSettings& settings) {
    m_settings = settings;
    m_connectTimeoutSeconds = options.connectTimeoutSeconds;
    m_server =
        QStringLiteral("%1:%2").arg(QString::fromStdString(settings.address)).arg(settings.port);
    m_session->setEngineGracePeriod(options.engineGraceMs);
    // Connecting waits for the engine: without it there is nobody to play.
    m_session->StartEngine(options.engineProgram, options.engineArguments);
    return !m_finished;
}

void CliApp::Connect() {
    if (m_finished) {
        return;
    }
    m_connectTimer.start(m_connectTimeoutSeconds * 1000);
    Say(QStringLiteral("Connecting to %1 ...").arg(m_server));
    m_session->ConnectTo(m_settings);
}

void CliApp::AskReady() {
    Say(QStringLiteral("No engine runs: answering READYOK."));
    QTimer::singleShot(0, this, [this] { m_session->OnReadyAnswered(); });
}

void CliApp::OnServerMessageReceived(std::string_view, const ParseResult& parsed) {
    if (const std::optional<std::string> line = m_report.Observe(parsed)) {
        Say(QString::fromStdString(*line));
    }
}

void CliApp::OnNotice(const RelayNotice& notice) {
    switch (notice.kind) {
    case RelayNotice::Kind::RandomSizeRefused:
        Say(QStringLiteral("SETRAND %1 refused: the random size must be a finite number; it is "
                           "unchanged.")
                .arg(Quoted(notice.subject)));
        return;
    case RelayNotice::Kind::LogNotOpened:
        Say(QStringLiteral("No log for this game: %1.")
                .arg(QString::fromStdString(PrintableText(notice.subject))));
        return;
    case RelayNotice::Kind::EngineLineNotAnAnswer:
        if (notice.detail == "ISREADY") {
            Say(QStringLiteral("The engine's line %1 is no answer to ISREADY, which wants "
                               "\"READYOK\"; forwarded all the same.")
                    .arg(Quoted(notice.subject)));
        } else {
            Say(QStringLiteral(
                    "The engine's line %1 is no valid answer to GO, which wants \"BESTSHOT vx vy "
                    "curl\" (vx and vy decimal numbers of at most 1000, curl a whole number); "
                    "forwarded all the same: the server decides, and a wrong answer costs the "
                    "stone. Debugging output belongs on standard error.")
                    .arg(Quoted(notice.subject)));
        }
        return;
    case RelayNotice::Kind::EngineLineUnasked:
        Say(QStringLiteral("The engine wrote %1 while no answer was due (one BESTSHOT line after "
                           "GO, READYOK after ISREADY); forwarded all the same, and the server "
                           "will ignore it. Debugging output belongs on standard error.")
                .arg(Quoted(notice.subject)));
        return;
    case RelayNotice::Kind::EngineNoticesSuppressed:
        Say(QStringLiteral("Further engine lines that are no answer go unreported until the "
                           "next game."));
        return;
    }
}

void CliApp::Say(const QString& line) {
    std::fprintf(m_out, "%s\n", line.toUtf8().constData());
    std::fflush(m_out);
}

void CliApp::Fail(const QString& line) {
    std::fprintf(m_err, "skerrow-cli: %s\n", line.toUtf8().constData());
    std::fflush(m_err);
    Finish(1);
}

void CliApp::Finish(int status) {
    if (m_finished) {
        return;
    }
    m_finished = true;
    m_exitStatus = status;
    m_connectTimer.stop();
    m_session->Disconnect();
    // The engine reads what it was sent to the end (the game's last messages
    // among it) before it goes.
    m_session->StopEngine();
    if (!m_session->isEngineStopping()) {
        Q_EMIT finished(status);
    }
}

} // namespace skerrow
