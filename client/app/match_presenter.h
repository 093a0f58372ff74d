#pragma once

#include "relay_events.h"
#include "relay_ports.h"

#include <tarnwick/tarnwick.h>

#include <QObject>
#include <QString>

#include <functional>

namespace skerrow {

// What the relay tells the main window, turned into what the window shows:
// the position on show, the texts of the server message line, the names, the
// turn caption, the title and the status line, whether a replay runs and
// whether the readiness question is open. It holds no widget, so that tests
// drive it without a window; the window follows its signals and reports back
// what the user and the replay did.
//
// It is the one place that knows whether a replay runs: the relay asks it to
// start one (ReplayStarter), it starts the window's replay through the
// player it was given, and the window tells it when the replay has ended.
class MatchPresenter final : public QObject,
                             public RelayEvents,
                             public ReplayStarter,
                             public ReadyPrompt {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MatchPresenter)

public:
    // Starts a replay of `shot` on `start` with the given random size;
    // returns false when it declines.
    using ReplayPlayer =
        std::function<bool(const GameState& start, ShotVec shot, float randomSize)>;

    // The server message line before the first message.
    static constexpr char kInitialServerMessage[] = "Server:";
    // The line shows "Server: " and the message in a 1024-byte text: longer
    // messages are shown cut.
    static constexpr std::size_t kShownMessageBytes = 1022;
    // Longest part of an engine's line quoted in the status line, in bytes.
    static constexpr std::size_t kQuotedLineBytes = 200;

    explicit MatchPresenter(QObject* parent = nullptr);

    // What starts the window's replays; without one every replay is declined.
    void setReplayPlayer(ReplayPlayer player) { m_player = std::move(player); }

    // The position on show: an empty sheet until the relay says otherwise.
    const GameState& gameState() const { return m_gameState; }
    // "Server: " and the last server message shown, printable and cut.
    const QString& serverMessageText() const { return m_serverMessage; }
    // The players' names, printable; empty before the first game.
    const QString& redName() const { return m_redName; }
    const QString& yellowName() const { return m_yellowName; }
    // The turn caption for the position on show.
    QString captionText() const;
    // True from a replay's start until the window reports its end.
    bool isReplayRunning() const { return m_replayRunning; }
    // True while the readiness question waits for the user.
    bool isAskingReady() const { return m_askingReady; }

    // The window's title for `status`: "<engine> - <link state>".
    static QString TitleFor(const RelayStatus& status);
    // The status line's words for a notice.
    static QString NoticeText(const RelayNotice& notice);

    // The replay has ended: replayEnded() follows, so that held messages go
    // on.
    void OnReplayFinished();
    // The replay was stopped without an end (the window is closing): nothing
    // is told.
    void OnReplayCancelled() { m_replayRunning = false; }
    // The user answered the readiness question: readyAnswered() follows.
    void OnReadyAnswered();

    // RelayEvents
    void OnServerMessageShown(std::string_view text, const ParseResult& parsed) override;
    void OnGameStarted(const NewGame& newGame) override;
    void OnPositionChanged(const GameState& state) override;
    void OnEndScored(const GameState& state, const Score& score) override;
    void OnNotice(const RelayNotice& notice) override;
    void OnRelayStatusChanged(const RelayStatus& status) override;
    // ReplayStarter
    bool StartReplay(const GameState& start, ShotVec shot, float randomSize) override;
    // ReadyPrompt
    void AskReady() override;

Q_SIGNALS:
    // serverMessageText() changed.
    void serverMessageChanged(const QString& text);
    // A new game: the names changed and the score board is to be emptied.
    void gameStarted(const QString& redName, const QString& yellowName);
    // The position on show changed: caption, views and score board.
    void positionChanged();
    // The ends' results changed: views and score board, not the caption.
    void scoresChanged();
    void titleChanged(const QString& title);
    // Words for the status line.
    void noticeRaised(const QString& text);
    void replayStarted();
    // The replay has ended; the relay is to be told.
    void replayEnded();
    // The readiness question is to be shown.
    void readyAsked();
    // The user answered; the relay is to be told.
    void readyAnswered();

private:
    ReplayPlayer m_player;
    GameState m_gameState;
    QString m_serverMessage = QString::fromLatin1(kInitialServerMessage);
    QString m_redName;
    QString m_yellowName;
    bool m_replayRunning = false;
    bool m_askingReady = false;
};

} // namespace skerrow
