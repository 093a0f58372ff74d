#pragma once

#include "board_physics.h"
#include "game_history.h"
#include "history_row.h"
#include "match_clocks.h"
#include "physics_binding.h"
#include "protocol_messages.h"
#include "trial_board.h"

#include <tarnwick/tarnwick.h>

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace skerrow {

// The board beside the relay: what the window shows of a game besides the
// relay's own texts. It keeps every shot of the live game, runs both clocks,
// says whose turn it is and what was just scored, holds an end's final
// position until the next stone, and shows the result at the end. It also
// opens and saves files, steps through a game's positions and plays trial
// shots on an opened position. It holds no widget: tests drive it as the
// window does, and the window draws what it says.
class BoardPresenter final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BoardPresenter)

public:
    // What the board shows: the live game, or a file opened with 局面を開く.
    enum class Source { Live, File };

    // `clock` (not owned) runs the clocks and outlives the presenter.
    explicit BoardPresenter(const MatchClock& clock, QObject* parent = nullptr);
    ~BoardPresenter() override;

    // The physics library's entry points: trial shots, the replay of an end's
    // last stone, the predicted path. Missing ones leave those out.
    void SetPhysics(BoardPhysics physics, PhysicsBinding::SimulationTraceFn trace);
    const BoardPhysics& physics() const { return m_physics; }
    PhysicsBinding::SimulationTraceFn trace() const { return m_trace; }

    // --- The live game, as the relay tells it -------------------------------
    void OnGameStarted(const QString& red, const QString& yellow);
    // The relay's position on show changed.
    void OnLivePosition(const GameState& state);
    // The server's GO arrived: both clocks from now.
    void OnGoReceived(const Go& go);
    // The same GO's turn to be shown has come (after any replay): it is this
    // window's turn to deliver.
    void OnGoShown();
    // The server's SETSTATE arrived: `turn` is to deliver.
    void OnTurn(int turn);
    // This window's side asked for `delivery` (the engine's or the user's).
    void OnAsked(ShotVec delivery);
    // The server's RUNSHOT is shown: `played` is delivered on the live
    // position on show. (The clocks stopped when it arrived: StopClocks.)
    void OnDelivered(ShotVec played);
    // The server scored the ends so far.
    void OnEndScored(const Score& score);
    // A stone is on its way, or the game is over: both clocks stop.
    void StopClocks();
    void OnGameOver();
    // Whether an engine plays for this window: without one, the window asks
    // for attention when its turn comes.
    void SetEngineRunning(bool running);
    // The link's state in words and the engine's name, for the status
    // column.
    void SetRelayState(QString linkWords, QString engineName);
    const QString& connectionText() const { return m_connectionText; }
    QString engineText() const;
    void SetConnected(bool connected);

    // --- What the board shows -----------------------------------------------
    Source source() const { return m_source; }
    // The position on the board; `live` is the relay's, shown while the board
    // follows the live game and holds no end.
    const GameState& ShownPosition(const GameState& live) const;
    // The stone the shown position's last shot delivered; -1 for none.
    int LastStone(const GameState& live) const;
    // The history on show (the live game's or the opened file's).
    const GameHistory& history() const;
    bool isFollowingLiveGame() const;

    // Turn caption: its text and the colour to deliver (none when no game).
    QString TurnText(const GameState& live) const;
    std::optional<int> TurnColour(const GameState& live) const;
    // "m:ss" of a side's clock, and whether it runs.
    QString ClockText(int colour) const;
    bool ClockRunning(int colour) const;
    QString SideName(int colour) const;
    // An end's points or the result; empty when nothing is announced. Away
    // from the live game, those of the shot on the board.
    QString announcement() const;
    // The result at the end of the game; empty before.
    const QString& result() const { return m_result; }
    // The rows of the history list, and the words for where the board is.
    std::vector<HistoryRow> HistoryRows() const;
    QString PlaceText() const;

    // --- Stepping -----------------------------------------------------------
    // Each says whether the board moved.
    bool First();
    bool Previous();
    bool Next();
    bool Last();
    bool GoTo(std::size_t position);
    // Replays the shot that led to the shown position: replayRequested.
    bool ReplayShown();

    // --- Files --------------------------------------------------------------
    // Opens a position file, a game record or a match log; the board shows
    // it. Returns the reason when it cannot.
    std::optional<QString> Open(const QString& path);
    // Saves the shown position as a position file.
    std::optional<QString> Save(const QString& path, const GameState& live) const;
    // Back to the live game from a file.
    void ReturnToLiveGame();

    // --- Trial shots on an opened position ----------------------------------
    // True with a file open and no link: shots are played locally.
    bool canTry() const;
    // Plays `delivery` on the shown position; false with the reason when
    // it is refused.
    std::optional<QString> Try(ShotVec delivery);
    bool canUndo() const;
    bool Undo();

Q_SIGNALS:
    // Anything shown changed: position, texts, list.
    void changed();
    // The list's rows changed (a shot more, another game, a file).
    void historyChanged();
    // It is this window's turn and the user plays by hand.
    void alertRequested();
    // Show the delivery `shot` played on `start` as a moving picture.
    void replayRequested(const GameState& start, ShotVec shot);

private:
    GameHistory& current();
    void Announce(QString text);
    void AfterStep(bool moved);

    const MatchClock& m_clock;
    MatchClocks m_clocks;
    BoardPhysics m_physics;
    PhysicsBinding::SimulationTraceFn m_trace = nullptr;

    GameHistory m_live;
    std::optional<GameHistory> m_file;
    std::unique_ptr<TrialBoard> m_trial;
    Source m_source = Source::Live;

    GameState m_liveState{};
    std::optional<ShotVec> m_asked;
    // The end's last stone has been played and nothing delivered since.
    bool m_holdingEnd = false;
    std::optional<int> m_ownColour;
    bool m_gameOn = false;
    bool m_engineRunning = false;
    bool m_connected = false;
    std::optional<ShotVec> m_lastTrialShot;
    QString m_fileName;
    QString m_announcement;
    QString m_result;
    QString m_connectionText = QStringLiteral("サーバー: 未接続");
    QString m_engineName;
};

} // namespace skerrow
