#pragma once

#include "relay_ports.h"

#include <tarnwick/tarnwick.h>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace skerrow {

// Every message of a match passes through here: messages from the server,
// lines from the engine and lines the user types. The handler logs each one,
// forwards server messages to the engine and the engine's and user's to the
// server, keeps the position on show and acts on the words that concern the
// program itself.
//
// Everything runs on one thread. Where the relay must wait (for the replay of
// a shot before showing the position the server sends after it, or for the
// user's answer to the readiness question), server messages queue up in the
// inbox and are handled in order once the wait is over; nothing blocks.
class ProtocolHandler {
public:
    explicit ProtocolHandler(RelayCollaborators collaborators);
    ProtocolHandler(const ProtocolHandler&) = delete;
    ProtocolHandler& operator=(const ProtocolHandler&) = delete;

    // One message from the server, as split off the stream (without its zero
    // byte). Handled at once, or queued while the inbox is held.
    void OnServerMessage(std::string_view message);

    // One line from the engine or the user (without its newline).
    void OnLocalMessage(std::string_view message);

    // Handles one message now: `fromServer` is true for the server's messages.
    // The text is used up to its first newline.
    void HandleMessage(std::string_view message, bool fromServer);

    // The server link went down. Messages received before take their turn
    // first, as from a live link; then the log is closed and `whenReached`
    // runs (the front end's link-down steps).
    void OnServerLinkDown(std::function<void()> whenReached);

    // The replay that StartReplay began has ended: held messages go on.
    void OnReplayEnded();

    // The user answered the readiness question: READYOK goes to the server and
    // held messages go on.
    void OnReadyAnswered();

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
        bool loggedAndForwarded;        // only its action is left to do
        std::function<void()> linkDown; // set for the link-down mark instead of a message
    };

    void HandleServerMessage(std::string_view text, bool loggedAndForwarded);
    void ActOnServerWord(std::string_view word, std::string_view text);
    void HandleLocalMessage(std::string_view text);
    void ResumeInbox();

    void ReadPosition(std::string_view text);
    void ReadState(std::string_view text);
    void ReadScores(std::string_view text);
    void StartNewGame(std::string_view text);
    void ReplayServerShot(std::string_view text);
    void ShowPlannedDraw(std::string_view text);
    void SendPlannedDelivery(std::string_view text);
    // The draw planned to the target in words 1 to 3; empty when a word is
    // missing or nothing could be planned.
    std::optional<ShotVec> PlanToTarget(std::string_view text);
    // Starts the replay of `shot` on the position on show, with the current
    // random size.
    void Replay(ShotVec shot);
    void ShowPosition();

    RelayCollaborators m_with;
    GameState m_gameState{};
    float m_shotRandom = 0.0f;
    bool m_replayRunning = false;
    bool m_waitingForReady = false;
    std::deque<HeldMessage> m_inbox;
    bool m_resuming = false;
};

} // namespace skerrow
