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
// of the thread it lives on; nothing blocks but the destructor.
//
// An engine is never cut short of what was written to it: when it is stopped
// or replaced, its input is closed once everything queued has been written
// (it reads end of file, and may save what it learnt), and it is killed only
// if it has not ended within the grace period. An engine that stops reading
// while the relay keeps writing is ended as stalled once kMaxPendingBytes
// wait for it, so that it cannot make this program grow without bound.
class EngineBridge : public QObject, public EngineWriter {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EngineBridge)

public:
    // Quiet time after which an unfinished line counts as a whole line, in
    // milliseconds.
    static constexpr int kPartialLineFlushMs = 50;
    // Time an engine has to end by itself after its input was closed, in
    // milliseconds, unless set otherwise.
    static constexpr int kDefaultGracePeriodMs = 3000;
    // Bytes written to the engine and not yet read by it beyond which it
    // counts as stalled: a whole game is about 100 KiB of messages and the
    // longest message 64 KiB, so an engine that reads at all never comes
    // near; an engine that stopped reading holds at most this much here.
    static constexpr qint64 kMaxPendingBytes = 4 * 1024 * 1024;

    explicit EngineBridge(QObject* parent = nullptr);
    // Stops every engine still running, as Stop() does, but waits here for
    // them (at most the grace period and a moment to reap a killed one), so
    // that no child process is left behind and none loses its input.
    ~EngineBridge() override;

    // Starts `program` with `arguments`, in this program's environment and
    // current directory. A running engine is stopped first (see Stop()): a
    // new engine replaces the old one. started() or failedToStart() follows,
    // the failure possibly before Start() returns.
    void Start(const QString& program, const QStringList& arguments = {});

    // Stops the engine, if one runs: what was written reaches it, then its
    // input is closed, and it is killed if it has not ended within the grace
    // period. Nothing more is written to it and its lines are no longer
    // delivered; its end is not reported by exited() but by stopped(), once
    // every engine stopped so far has ended.
    void Stop();

    // The grace period of Stop(), in milliseconds (0 kills at once).
    void setGracePeriod(int milliseconds) { m_gracePeriodMs = milliseconds; }
    int gracePeriod() const { return m_gracePeriodMs; }

    // True while an engine stopped by Stop() or Start() has not ended yet.
    bool isStopping() const;

    // EngineWriter
    // True from Start() (messages written while the program is still starting
    // reach it once it runs) until it failed to start, exited, stalled or was
    // stopped.
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
    // The program has started.
    void started();
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
    // The engine stopped reading: `pendingBytes` waited for it. It has been
    // killed; the relay goes on without it.
    void stalled(qint64 pendingBytes);
    // Every engine stopped by Stop() or replaced by Start() has ended.
    void stopped();

private:
    void ReadOutput();
    void FlushPartial();
    void OnError(QProcess::ProcessError error);
    void OnFinished(int exitCode, QProcess::ExitStatus status);
    void Deliver(const FramedMessages& out);
    // Takes the current process out of service; `graceful` lets it finish
    // reading its input first, otherwise it is killed at once.
    void DetachProcess(bool graceful);
    void OnRetiredEnded(QProcess* process);

    QProcess* m_process = nullptr; // owned (child of this); null while none runs
    LineFramer m_framer;
    QTimer m_flushTimer;
    QString m_displayName;
    int m_gracePeriodMs = kDefaultGracePeriodMs;
    // Bumped whenever the process is replaced or dropped, so that a delivery
    // loop notices when a slot has stopped or replaced the engine under it.
    quint64 m_generation = 0;
    bool m_running = false;
};

} // namespace skerrow
