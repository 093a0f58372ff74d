#include "engine_bridge.h"

#include <QDeadlineTimer>

#include <algorithm>
#include <utility>

namespace skerrow {

namespace {

// How long the destructor waits for a killed engine to be reaped, in
// milliseconds.
constexpr int kReapWaitMs = 1000;

} // namespace

EngineBridge::EngineBridge(QObject* parent) : QObject(parent) {
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(kPartialLineFlushMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &EngineBridge::FlushPartial);
}

EngineBridge::~EngineBridge() {
    Stop();
    // The engines still running get what is left of their grace period to
    // read their input and end, here and now, since the event loop that
    // would wait for them may be gone; those that do not end are killed and
    // reaped, so that none is left behind as a zombie.
    const QDeadlineTimer deadline(m_gracePeriodMs);
    const auto processes = findChildren<QProcess*>(Qt::FindDirectChildrenOnly);
    for (QProcess* process : processes) {
        disconnect(process, nullptr, this, nullptr);
        if (process->state() != QProcess::NotRunning) {
            process->waitForFinished(static_cast<int>(deadline.remainingTime()));
        }
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(kReapWaitMs);
        }
        delete process;
    }
}

void EngineBridge::Start(const QString& program, const QStringList& arguments) {
    Stop();
    m_displayName = DisplayNameFor(program);
    m_process = new QProcess(this);
    ++m_generation;
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(m_process, &QProcess::started, this, &EngineBridge::started);
    connect(m_process, &QProcess::readyReadStandardOutput, this, &EngineBridge::ReadOutput);
    connect(m_process, &QProcess::errorOccurred, this, &EngineBridge::OnError);
    connect(m_process, &QProcess::finished, this, &EngineBridge::OnFinished);
    // Set before start(), which may report a failure before it returns.
    m_running = true;
    m_process->start(program, arguments);
}

void EngineBridge::Stop() {
    m_running = false;
    DetachProcess(true);
}

bool EngineBridge::isStopping() const {
    const auto processes = findChildren<QProcess*>(Qt::FindDirectChildrenOnly);
    return std::any_of(processes.begin(), processes.end(), [this](const QProcess* process) {
        return process != m_process && process->state() != QProcess::NotRunning;
    });
}

void EngineBridge::WriteToEngine(std::string_view text) {
    if (!m_running || m_process == nullptr) {
        return;
    }
    QByteArray data(text.data(), static_cast<qsizetype>(text.size()));
    data.append('\0');
    m_process->write(data);
    const qint64 pending = m_process->bytesToWrite();
    if (pending > kMaxPendingBytes) {
        // It does not read: as good as crashed, and no grace would help.
        m_running = false;
        DetachProcess(false);
        emit stalled(pending);
    }
}

QString EngineBridge::DisplayNameFor(const QString& path) {
    const qsizetype lastSeparator =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    QString name = path.mid(lastSeparator + 1);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        name.truncate(dot);
    }
    return name;
}

void EngineBridge::ReadOutput() {
    if (m_process == nullptr) {
        return;
    }
    const QByteArray bytes = m_process->readAllStandardOutput();
    const quint64 generation = m_generation;
    Deliver(
        m_framer.Feed(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()))));
    if (generation != m_generation) {
        return;
    }
    if (m_framer.HasPartial()) {
        m_flushTimer.start(); // restarts: the quiet time counts from the last output
    } else {
        m_flushTimer.stop();
    }
}

void EngineBridge::FlushPartial() {
    m_flushTimer.stop();
    FramedMessages out;
    std::string line = m_framer.TakePartial();
    if (!line.empty()) {
        out.messages.push_back(std::move(line));
    }
    Deliver(out);
}

void EngineBridge::Deliver(const FramedMessages& out) {
    const quint64 generation = m_generation;
    for (const std::string& line : out.messages) {
        emit lineReceived(QByteArray::fromStdString(line));
        if (generation != m_generation) {
            return; // a slot stopped or replaced the engine: the rest is stale
        }
    }
    if (out.dropped > 0) {
        emit linesDropped(static_cast<qsizetype>(out.dropped));
    }
}

void EngineBridge::OnError(QProcess::ProcessError error) {
    // A crash is reported by finished(); read and write errors show up as the
    // engine ending.
    if (error != QProcess::FailedToStart || m_process == nullptr) {
        return;
    }
    const QString reason = m_process->errorString();
    m_running = false;
    DetachProcess(false);
    emit failedToStart(reason);
}

void EngineBridge::OnFinished(int exitCode, QProcess::ExitStatus status) {
    // Whatever the engine wrote last, a final line without newline included,
    // is handed on before its end is reported.
    const quint64 generation = m_generation;
    ReadOutput();
    if (generation != m_generation) {
        return;
    }
    FlushPartial();
    if (generation != m_generation) {
        return;
    }
    m_running = false;
    DetachProcess(false);
    emit exited(exitCode, status == QProcess::CrashExit);
}

void EngineBridge::DetachProcess(bool graceful) {
    m_flushTimer.stop();
    m_framer = LineFramer();
    if (m_process == nullptr) {
        return;
    }
    ++m_generation;
    QProcess* process = std::exchange(m_process, nullptr);
    disconnect(process, nullptr, this, nullptr);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    // Freed once it has ended (or by the destructor). What it still prints
    // is nobody's; reading it keeps the engine from blocking on a full pipe.
    connect(process, &QProcess::readyReadStandardOutput, process,
            [process] { process->readAllStandardOutput(); });
    connect(process, &QProcess::finished, this, [this, process] { OnRetiredEnded(process); });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            OnRetiredEnded(process);
        }
    });
    if (!graceful || m_gracePeriodMs <= 0) {
        process->kill();
        return;
    }
    // End of file once everything queued has been written; then it has the
    // grace period to finish.
    process->closeWriteChannel();
    auto* grace = new QTimer(process);
    grace->setSingleShot(true);
    connect(grace, &QTimer::timeout, process, &QProcess::kill);
    grace->start(m_gracePeriodMs);
}

void EngineBridge::OnRetiredEnded(QProcess* process) {
    disconnect(process, nullptr, this, nullptr);
    process->deleteLater();
    if (!isStopping()) {
        emit stopped();
    }
}

} // namespace skerrow
