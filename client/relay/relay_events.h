#pragma once

// What the relay tells its front ends.

#include "protocol_messages.h"
#include "relay_ports.h"

#include <tarnwick/tarnwick.h>

#include <string>
#include <string_view>

namespace skerrow {

// How the link to the server and the engine stand.
struct RelayStatus {
    enum class Link {
        NotConnected,    // no link asked for yet
        Connecting,      // a connect request runs
        Connected,       // the link is up and LOGIN sent
        CouldNotConnect, // the last connect request gave up
        Lost,            // the last link went down
    };
    Link link = Link::NotConnected;
    // The engine's display name (printable), or the program's name before an
    // engine was chosen.
    std::string engineName;
};

// What the relay tells its front ends: what happened, never how to show it.
// Each front end overrides what it cares about; the others do nothing.
//
// Two moments of a server message are told apart. It is received the moment
// it arrives (logged and handed to the engine already); it is shown in turn,
// once nothing holds it any more (a replay, the readiness question), and the
// position events it causes come with it.
class RelayEvents {
public:
    // A message from the server has arrived: `text` as received up to its
    // line end, `parsed` as read by the protocol's parser.
    virtual void OnServerMessageReceived(std::string_view /*text*/, const ParseResult& /*parsed*/) {
    }
    // The same message's turn to be shown has come. `text` may hold control
    // characters; events of what it changed follow.
    virtual void OnServerMessageShown(std::string_view /*text*/, const ParseResult& /*parsed*/) {}
    // A new game begins with these players (their names as the server sent
    // them), on an empty sheet and with an empty score board.
    // OnPositionChanged follows.
    virtual void OnGameStarted(const NewGame& /*newGame*/) {}
    // The position on show is now `state`: its stones, shot, end or turn
    // changed.
    virtual void OnPositionChanged(const GameState& /*state*/) {}
    // The server scored the ends so far (`score`); `state` is the position
    // on show with those results.
    virtual void OnEndScored(const GameState& /*state*/, const Score& /*score*/) {}
    // Something the relay went on past that the user should hear of.
    virtual void OnNotice(const RelayNotice& /*notice*/) {}
    // The link or the engine changed; `status` says how both stand now.
    virtual void OnRelayStatusChanged(const RelayStatus& /*status*/) {}

protected:
    ~RelayEvents() = default;
};

} // namespace skerrow
