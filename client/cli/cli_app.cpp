#include "cli_app.h"

namespace skerrow {

CliApp::CliApp(PhysicsBinding& physics, std::FILE* out, std::FILE* err, QObject* parent)
    : QObject(parent), m_out(out), m_err(err),
      m_session(std::make_unique<RelaySession>(*this, *this, *this, physics)) {
    m_connectTimer.setSingleShot(true);

    connect(m_session.get(), &RelaySession::linkUp, this, [this] {
        m_connectTimer.stop();
        Say(QStringLiteral("Connected to %1; logged in.").arg(m_server));
    });
    connect(m_session.get(), &RelaySession::serverMessage, this, [this](const QByteArray& message) {
        if (const std::optional<std::string> line =
                m_report.Observe(std::string_view(message.constData(), message.size()))) {
            Say(QString::fromStdString(*line));
        }
    });
    connect(m_session.get(), &RelaySession::linkDown, this, [this] {
        if (m_report.gameOver()) {
            Say(QStringLiteral("The server closed the link."));
            Finish(0);
        } else {
            Fail(QStringLiteral("The link to the server went down before the game was over."));
        }
    });
    connect(m_session.get(), &RelaySession::gaveUp, this,
            [this] { Fail(QStringLiteral("Could not reach the server at %1.").arg(m_server)); });
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
}

CliApp::~CliApp() = default;

bool CliApp::Start(const CliOptions& options, const ConnectionSettings& settings) {
    m_server =
        QStringLiteral("%1:%2").arg(QString::fromStdString(settings.address)).arg(settings.port);
    m_session->StartEngine(options.engineProgram, options.engineArguments);
    if (m_finished) {
        return false; // the engine failed at once and it was said
    }
    connect(&m_connectTimer, &QTimer::timeout, this, [this, options] {
        Fail(QStringLiteral("Could not reach the server at %1 within %2 s.")
                 .arg(m_server)
                 .arg(options.connectTimeoutSeconds));
    });
    m_connectTimer.start(options.connectTimeoutSeconds * 1000);
    Say(QStringLiteral("Engine %1 started; connecting to %2 ...")
            .arg(m_session->engineName(), m_server));
    m_session->ConnectTo(settings);
    return true;
}

void CliApp::AskReady() {
    Say(QStringLiteral("No engine runs: answering READYOK."));
    QTimer::singleShot(0, this, [this] { m_session->OnReadyAnswered(); });
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
    m_connectTimer.stop();
    m_session->Disconnect();
    Q_EMIT finished(status);
}

} // namespace skerrow
