#pragma once

#include "relay_ports.h"

#include <optional>
#include <string_view>

namespace skerrow {

// Watches the conversation with the engine for lines that will cost the
// player: an answer that the server will not take, and a line written while
// nothing was asked (a debugging print on the wire, typically). It only
// judges; the relay forwards every line all the same, since the server
// decides.
//
// An answer is due from the engine from ISREADY until its READYOK, and from
// GO until its delivery "BESTSHOT vx vy curl". Both are read as the server
// reads them: Parse's strict reading. A READYOK after GO is no answer and
// leaves the answer due, as the server takes it;
// any other line that is no delivery is taken by the server as the answer and
// costs the stone. RUNSHOT, NEWGAME and GAMEOVER end whatever was due. The
// words that the relay handles itself (SETRAND, SETSTATE, SETPOSITION,
// DRAWSHOT) never reach the server and are never judged.
//
// At most kMaxNoticesPerGame lines are reported from NEWGAME to NEWGAME, and
// then once that further ones are not: an engine that prints freely must not
// flood the front end's output with notices.
class EngineAnswerCheck {
public:
    // Lines reported per game.
    static constexpr int kMaxNoticesPerGame = 10;

    // A server message as it was written to the engine.
    void OnServerMessage(std::string_view message);

    // A line from the engine, on its way to the server. Returns the notice
    // to show when the line will not do what the engine meant.
    std::optional<RelayNotice> OnEngineLine(std::string_view line);

    // A new engine starts: nothing is due from it.
    void Reset() {
        m_due = Due::Nothing;
        m_notices = 0;
    }

    // True when `line` is a delivery the server accepts.
    static bool IsDelivery(std::string_view line);

private:
    enum class Due { Nothing, Ready, Delivery };
    // The notice for `line`, unless this game's share is used up.
    std::optional<RelayNotice> Report(RelayNotice::Kind kind, std::string_view line,
                                      const char* due);

    Due m_due = Due::Nothing;
    int m_notices = 0;
};

} // namespace skerrow
