#pragma once

#include "protocol_messages.h"
#include "relay_events.h"
#include "relay_ports.h"

#include <tarnwick/tarnwick.h>

#include <deque>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace skerrow {

// Every message of a match passes through here: messages from the server,
// lines from the engine and lines the user types. The handler logs each one,
// forwards server messages to the engine and the engine's and user's to the
// server, keeps the position on show and acts on the words that concern the
// program itself.
//
// Everything runs on one thread. A server message is logged and written to
// the engine the moment it arrives, and the log is opened (NEWGAME) and
// closed (GAMEOVER, link down) then too, so that neither the engine's clock
// nor the log waits for what the window shows. What is shown waits where it
// must: for the replay of a shot before the position the server sends after
// it, and for the user's answer to the readiness question. Meanwhile the
// server's messages queue up in the inbox and are shown, in order, once the
// wait is over; nothing blocks.
class ProtocolHandler {
public:
    explicit ProtocolHandler(RelayCollaborators collaborators);
    ProtocolHandler(const ProtocolHandler&) = delete;
    ProtocolHandler& operator=(const ProtocolHandler&) = delete;

    // One message from the server, as split off the stream (without its zero
    // byte). Logged and forwarded at once; shown and acted on at once, or
    // once the inbox is no longer held.
    void OnServerMessage(std::string_view message);

    // One line from the engine or the user (without its newline).
    void OnLocalMessage(std::string_view message);

    // The server link went down. The log is closed at once; messages
    // received before are shown first, as from a live link; then
    // `whenReached` runs (the front end's link-down steps).
    void OnServerLinkDown(std::function<void()> whenReached);

    // The replay that StartReplay began has ended: held messages go on.
    void OnReplayEnded();

    // The user answered the readiness question: READYOK goes to the server and
    // held messages go on.
    void OnReadyAnswered();

    // True for a word from the engine or the user that the relay acts on
    // itself and never sends on: SETRAND, SETSTATE, SETPOSITION, DRAWSHOT,
    // and BESTSHOT while no engine runs (then it names the user's target).
    static bool KeepsForItself(Command command, bool engineRunning);

    // The position on show.
    const GameState& gameState() const { return m_gameState; }
    // Random size handed to the next replay.
    float shotRandom() const { return m_shotRandom; }
    // True while server messages wait in the inbox.
    bool isInboxHeld() const;
    // Number of server messages waiting.
    std::size_t heldMessages() const { return m_inbox.size(); }
    // True while a replay the handler started is running.
    bool isReplayRunning() const { return m_replayRunning; }

private:
    struct HeldMessage {
        std::string text;
        bool serverPath;                // received while the link was up
        std::function<void()> linkDown; // set for the link-down mark instead of a message
    };

    // What a server message does the moment it arrives: the log and the
    // engine have it, and a game's log opens or closes.
    void ReceiveServerMessage(std::string_view text);
    // What is shown of a server message, in turn.
    void ShowServerMessage(std::string_view text);
    void HandleLocalMessage(std::string_view text);
    void ResumeInbox();

    void OpenGameLog(const NewGame& newGame, std::string_view text);
    void ShowNewGame(const NewGame& newGame);
    void SetRandomSize(const ParseResult& parsed);
    // The stones of a POSITION or SETPOSITION, and the turn they imply.
    void ShowStones(std::span<const StonePosition> stones);
    void ShowState(const SetState& setState);
    void ShowPlannedDraw(ShotPos target);
    void SendPlannedDelivery(ShotPos target);
    // The draw planned to `target`; empty when nothing could be planned.
    std::optional<ShotVec> PlanToTarget(ShotPos target);
    // Starts the replay of `shot` on the position on show, with the current
    // random size.
    void Replay(ShotVec shot);
    void ShowPosition();

    RelayCollaborators m_with;
    GameState m_gameState;
    float m_shotRandom = 0.0f;
    bool m_replayRunning = false;
    bool m_waitingForReady = false;
    std::deque<HeldMessage> m_inbox;
    bool m_resuming = false;
};

} // namespace skerrow
