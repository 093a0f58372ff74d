#pragma once

#include "message_framing.h"
#include "relay_ports.h"

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <string_view>

namespace skerrow {

// The thinking engine as a child process. Messages go to its standard input,
// each followed by one zero byte; its standard output comes back line by line;
// its standard error passes through to this program's. Runs on the event loop
// of the thread it lives on; nothing blocks.
class EngineBridge : public QObject, public EngineWriter {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EngineBridge)

public:
    // Quiet time after which an unfinished line counts as a whole line, in
    // milliseconds.
    static constexpr int kPartialLineFlushMs = 50;

    explicit EngineBridge(QObject* parent = nullptr);
    // Stops the engine, waiting for it at most about a second, so that no
    // child process is left behind.
    ~EngineBridge() override;

    // Starts `program` with `arguments`, in this program's environment and
    // current directory. A running engine is stopped first: a new engine
    // replaces the old one. A failure to start is reported by
    // failedToStart(), possibly before Start() returns.
    void Start(const QString& program, const QStringList& arguments = {});

    // Kills the engine, if one runs. Emits nothing; lines not yet read are
    // dropped.
    void Stop();

    // EngineWriter
    // True from Start() (messages written while the program is still starting
    // reach it once it runs) until it failed to start, exited or was stopped.
    bool IsEngineRunning() const override { return m_running; }
    // Queues `text` and one zero byte for the engine's standard input; never
    // blocks. Does nothing while no engine runs.
    void WriteToEngine(std::string_view text) override;

    // Display name of the last engine started; empty before the first Start().
    const QString& displayName() const { return m_displayName; }

    // The file name of `path` after its last '/' or '\\', cut at its first
    // dot: "C:\\eng\\ice.new.exe" gives "ice".
    static QString DisplayNameFor(const QString& path);

Q_SIGNALS:
    // One line of the engine's output, without its newline (a carriage return
    // before it is kept); every line, in order. Empty lines are skipped.
    void lineReceived(const QByteArray& line);
    // `count` lines longer than the framer's cap were dropped.
    void linesDropped(qsizetype count);
    // The program could not be started; `reason` says why, for the user.
    void failedToStart(const QString& reason);
    // The engine ended by itself: with `exitCode`, or `crashed`. Its last
    // output has been delivered before this.
    void exited(int exitCode, bool crashed);

private:
    void ReadOutput();
    void FlushPartial();
    void OnError(QProcess::ProcessError error);
    void OnFinished(int exitCode, QProcess::ExitStatus status);
    void Deliver(const FramedMessages& out);
    void DetachProcess();

    QProcess* m_process = nullptr; // owned (child of this); null while none runs
    LineFramer m_framer;
    QTimer m_flushTimer;
    QString m_displayName;
    // Bumped whenever the process is replaced or dropped, so that a delivery
    // loop notices when a slot has stopped or replaced the engine under it.
    quint64 m_generation = 0;
    bool m_running = false;
};

} // namespace skerrow
