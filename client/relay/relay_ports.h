#pragma once

// The collaborators of the protocol handler, each a small interface, so that
// the handler runs the same under the window, the command line and the tests.

#include <tarnwick/tarnwick.h>

#include <optional>
#include <string>
#include <string_view>

namespace skerrow {

class RelayEvents; // relay_events.h

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

// Something the relay went on past that the user should hear of. The relay
// says what happened; each front end chooses its words.
struct RelayNotice {
    enum class Kind {
        // SETRAND with a word that is no finite number (`subject`); the
        // random size stays as it was.
        RandomSizeRefused,
        // The game's log could not be opened; `subject` says which file and
        // why. The game goes on without a log.
        LogNotOpened,
        // The engine wrote `subject` when an answer to `detail` ("GO" or
        // "ISREADY") was due, and it is no valid answer. It was forwarded.
        EngineLineNotAnAnswer,
        // The engine wrote `subject` while no answer was due. It was
        // forwarded.
        EngineLineUnasked,
        // The engine's lines have been reported as often as a game allows;
        // further ones are forwarded without a word until the next game.
        EngineNoticesSuppressed,
    };
    Kind kind;
    std::string subject;
    std::string detail;
};

// Shows a delivery as a moving picture. A front end without one leaves it out
// (RelayCollaborators::replay null): no server message then waits.
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
    // closing any log still open. Returns what went wrong when no log could
    // be opened (the game goes on without one); empty on success.
    virtual std::optional<std::string> Open(std::string_view firstName,
                                            std::string_view secondName) = 0;
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
    RelayEvents& events;
    // Null when there is nothing to replay on.
    ReplayStarter* replay;
    ReadyPrompt& ready;
    ShotPlanner& planner;
    MatchLogWriter& log;
};

} // namespace skerrow
