#pragma once

// The match server on Qt's event loop: listens, takes the first two players
// that log in, hands their messages and the alarm to a MatchReferee, carries
// out what the referee says (messages, records, result lines) and, once the
// match is over, closes both connections and reports that it has finished.
// Nothing blocks.
//
// Before the match it guards its resources: at most MostWaitingConnections()
// connections wait for their LOGIN (the excess is refused at once), a failed
// accept is tried again after kAcceptRetryMs, and a seated player that keeps
// sending while it waits for an opponent is counted like an unasked player
// in a game (UnaskedMessages) and cut off past the same limits.

#include "game_record_file.h"
#include "library_shot_player.h"
#include "match_referee.h"
#include "server_options.h"
#include "steady_clock.h"
#include "unasked_messages.h"

#include <QObject>
#include <QTcpServer>
#include <QTimer>

#include <array>
#include <cstdio>
#include <memory>

namespace skerrow {

class PlayerConnection;

class MatchServer : public QObject, private RefereeHost {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MatchServer)

public:
    // Longest wait for the players' connections to close after the match,
    // in milliseconds; then they are dropped.
    static constexpr int kCloseWaitMs = 5000;
    // Pause after a failed accept (no descriptor left, say) before the
    // listener is polled again, in milliseconds: long enough not to spin on a
    // connection that cannot be taken yet, short enough that a player
    // hardly notices.
    static constexpr int kAcceptRetryMs = 100;

    // `out` receives the listening line and the result lines, `err` remarks
    // and errors; both are owned by the caller and flushed after every line.
    MatchServer(ServerOptions options, std::FILE* out, std::FILE* err, QObject* parent = nullptr);
    ~MatchServer() override;

    // Starts listening and writes "Listening on ADDRESS:PORT" to `out`. False,
    // with the reason written to `err`, when it cannot listen or cannot create
    // the records folder.
    bool Start();

    // The port listened on, once Start() has succeeded.
    quint16 port() const { return m_port; }

Q_SIGNALS:
    // The match is over and both connections are closed; `status` is the
    // program's exit status.
    void finished(int status);

private:
    void OnNewConnection();
    void OnAcceptError();
    void OnMessage(PlayerConnection* connection, const QByteArray& message, qint64 receivedMs);
    void OnDropped(PlayerConnection* connection, qsizetype count);
    void LogIn(PlayerConnection* connection, const QByteArray& message);
    // A message from a seated player that waits for an opponent; null for
    // one too long to keep.
    void IgnoreInLobby(int seat, const QByteArray* message);
    void OnLobbyClosed(PlayerConnection* connection);
    void FreeSeat(int seat);
    void SummariseLobby(int seat);
    void Drop(PlayerConnection* connection, const QString& reason);
    // Connections that wait for their LOGIN.
    int WaitingCount() const;
    void ReportRefusals();
    void StartMatch();
    void CloseAll();
    void FinishWhenClosed();
    int SeatOf(const PlayerConnection* connection) const;

    // RefereeHost
    void SendTo(int seat, std::string_view text) override;
    void Disconnect(int seat) override;
    void SetAlarm(std::optional<std::int64_t> delayMs) override;
    void BeginRecord(int game, const std::string& red, const std::string& yellow) override;
    void WriteRecord(std::string_view line) override;
    void EndRecord() override;
    void Announce(std::string_view line) override;
    void Note(std::string_view line) override;
    void MatchOver() override;

    void Say(std::FILE* stream, const QString& line);

    ServerOptions m_options;
    std::FILE* m_out;
    std::FILE* m_err;
    QTcpServer m_listener;
    QTimer m_alarm;
    QTimer m_closeTimer;
    QTimer m_acceptRetry;
    SteadyClock m_clock;
    LibraryShotPlayer m_shots;
    // The logged-in players, by seat; null while a seat is free.
    std::array<PlayerConnection*, 2> m_seats{};
    std::array<std::string, 2> m_names;
    // What each seated player sent while it waited for an opponent.
    std::array<UnaskedMessages, 2> m_lobbyUnasked;
    int m_mostWaiting;
    // Connections refused since the waiting ones last fell below the cap.
    std::int64_t m_refused = 0;
    // An accept has failed since the server started, and none has
    // succeeded since the first failure.
    bool m_acceptFailed = false;
    bool m_acceptFailing = false;
    std::unique_ptr<MatchReferee> m_referee;
    GameRecordFile m_record;
    quint16 m_port = 0;
    bool m_finished = false;
};

} // namespace skerrow
