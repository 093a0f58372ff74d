#pragma once

// What the match referee needs from its surroundings, as small interfaces, so
// that the rules run the same behind real sockets, in a process of their own
// and in the tests.

#include <tarnwick/tarnwick.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace skerrow {

// A monotonic clock.
class MatchClock {
public:
    // Milliseconds since some fixed point; never decreases.
    virtual std::int64_t NowMs() const = 0;

protected:
    ~MatchClock() = default;
};

// Plays deliveries: the physics library's SimulationSeeded, for a program
// that links it (LibraryShotPlayer), or a stand-in.
class ShotPlayer {
public:
    // Plays `shot` on `state` with a random delivery error of `randomSize`
    // (an offset at the tee, in metres) drawn from `seed` (the same seed gives
    // the same error) until every stone rests: writes the position after it
    // into `state` and the delivery played, error included, into `played`.
    // False, with nothing written, when the position or the delivery is
    // refused.
    virtual bool Play(GameState& state, ShotVec shot, float randomSize, std::uint64_t seed,
                      ShotVec& played) = 0;

protected:
    ~ShotPlayer() = default;
};

// The referee's outside world: the two players' connections, a single alarm,
// the game records and the server's own output.
class RefereeHost {
public:
    // Sends `text` followed by one zero byte to the player in `seat` (0 or 1,
    // in the order in which they logged in). Never blocks.
    virtual void SendTo(int seat, std::string_view text) = 0;

    // Drops the connection of the player in `seat` at once, with nothing
    // more sent to it; the referee has already counted the player as gone,
    // so no OnDisconnected follows.
    virtual void Disconnect(int seat) = 0;

    // Asks for one call of MatchReferee::OnAlarm after `delayMs` milliseconds,
    // replacing any alarm set before; nothing cancels it.
    virtual void SetAlarm(std::optional<std::int64_t> delayMs) = 0;

    // A game begins: the record lines that follow belong to game `game`
    // (counted from 1) between `red` and `yellow`, up to EndRecord.
    virtual void BeginRecord(int game, const std::string& red, const std::string& yellow) = 0;
    // One record line: a JSON object, without a newline.
    virtual void WriteRecord(std::string_view line) = 0;
    virtual void EndRecord() = 0;

    // A result line for the server's standard output.
    virtual void Announce(std::string_view line) = 0;
    // A remark on the course of the match, for the operator (standard error).
    virtual void Note(std::string_view line) = 0;

    // The match is over: the referee takes no further part. The host closes
    // the connections. Called once, possibly from inside a referee call.
    virtual void MatchOver() = 0;

protected:
    ~RefereeHost() = default;
};

} // namespace skerrow
