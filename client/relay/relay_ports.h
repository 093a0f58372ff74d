#pragma once

// The collaborators of the protocol handler, each a small interface, so that
// the handler runs the same under the window, the command line and the tests.

#include <tarnwick/tarnwick.h>

#include <string_view>

namespace skerrow {

// The link to the match server.
class ServerSender {
public:
    // True while the link is up.
    virtual bool IsConnected() const = 0;
    // Sends `text` followed by one zero byte; does nothing while not connected.
    virtual void SendToServer(std::string_view text) = 0;

protected:
    ~ServerSender() = default;
};

// The thinking engine's standard input.
class EngineWriter {
public:
    // True once an engine program has been started and while it runs.
    virtual bool IsEngineRunning() const = 0;
    // Writes `text` followed by one zero byte; never blocks.
    virtual void WriteToEngine(std::string_view text) = 0;

protected:
    ~EngineWriter() = default;
};

// Controls of the main window that the relay writes, by their resource ids.
enum class ControlId {
    ServerMessage = 1007, // the last message from the server
    RedName = 1010,       // first player's name, red row of the score board
    YellowName = 1011,    // second player's name, yellow row
};

// What the relay shows: control texts, the title, the turn caption and the
// sheet with the score board.
class MatchDisplay {
public:
    virtual void ShowText(ControlId control, std::string_view text) = 0;
    virtual void SetWindowTitle(std::string_view title) = 0;
    // Shows whose turn it is for `state`.
    virtual void UpdateTurnCaption(const GameState& state) = 0;
    // Redraws the sheet and the score board from `state`.
    virtual void RequestRepaint(const GameState& state) = 0;

protected:
    ~MatchDisplay() = default;
};

// Shows a delivery as a moving picture.
class ReplayStarter {
public:
    // Starts the replay of `shot` played on `start` with the given random
    // size. Returns false when it declines (a replay already runs, or there is
    // nothing to show it on). After true, the owner of the handler calls
    // ProtocolHandler::OnReplayEnded once the replay has ended.
    virtual bool StartReplay(const GameState& start, ShotVec shot, float randomSize) = 0;

protected:
    ~ReplayStarter() = default;
};

// Asks the user whether the game may start, without blocking.
class ReadyPrompt {
public:
    // Shows the question; the owner of the handler calls
    // ProtocolHandler::OnReadyAnswered once the user has answered.
    virtual void AskReady() = 0;

protected:
    ~ReadyPrompt() = default;
};

// Turns a target point into a delivery (the physics library's draw planner).
class ShotPlanner {
public:
    // Returns false when no delivery could be planned.
    virtual bool CreateShot(ShotPos target, ShotVec& result) = 0;

protected:
    ~ShotPlanner() = default;
};

// The log of one game.
class MatchLogWriter {
public:
    virtual bool IsOpen() const = 0;
    // Opens a new log named from the two player names and the local time,
    // closing any log still open. The game goes on without a log if it fails.
    virtual void Open(std::string_view firstName, std::string_view secondName) = 0;
    // Writes one line: the prefix ("Server: " or "Client: "), the text and a
    // newline; does nothing while no log is open.
    virtual void WriteLine(std::string_view prefix, std::string_view text) = 0;
    // Closes the log; does nothing while none is open.
    virtual void Close() = 0;

protected:
    ~MatchLogWriter() = default;
};

// Everything the protocol handler talks to; all owned by the caller.
struct RelayCollaborators {
    ServerSender& server;
    EngineWriter& engine;
    MatchDisplay& display;
    ReplayStarter& replay;
    ReadyPrompt& ready;
    ShotPlanner& planner;
    MatchLogWriter& log;
};

} // namespace skerrow
