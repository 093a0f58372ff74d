#pragma once

// A match between two engine sessions inside one process, under the match
// referee: the server's rules, messages and timing without sockets or child
// processes. engine-series plays its games this way.

#include "engine_session.h"
#include "library_shot_player.h"
#include "match_referee.h"
#include "steady_clock.h"

#include <array>
#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace sample_engine {

class SessionMatch final : private skerrow::RefereeHost {
public:
    // `players`: the sessions by seat (seat 0 plays red in the first game),
    // with their display names; owned by the caller and outliving the match.
    // The referee's remarks on the match (a delivery that was no valid one,
    // say) go to `remarks`.
    SessionMatch(const skerrow::MatchConfig& config, std::array<EngineSession*, 2> players,
                 std::array<std::string, 2> names, std::ostream& remarks);
    SessionMatch(const SessionMatch&) = delete;
    SessionMatch& operator=(const SessionMatch&) = delete;

    // Plays every game of the match and returns how each ended; `onGameOver`,
    // when given, hears of each game as soon as it has ended. Each message
    // reaches its session in the order the referee sent it, and an answer
    // goes back to the referee as soon as the session gives it.
    std::vector<skerrow::GameResult>
    Play(const std::function<void(const skerrow::GameResult&)>& onGameOver = {});

private:
    // RefereeHost
    void SendTo(int seat, std::string_view text) override;
    void Disconnect(int) override {}
    // The sessions answer at once; no alarm is ever needed.
    void SetAlarm(std::optional<std::int64_t>) override {}
    void BeginRecord(int, const std::string&, const std::string&) override {}
    void WriteRecord(std::string_view) override {}
    void EndRecord() override {}
    void Announce(std::string_view) override {}
    void Note(std::string_view line) override;
    void MatchOver() override {}

    std::array<EngineSession*, 2> m_players;
    std::ostream& m_remarks;
    skerrow::SteadyClock m_clock;
    skerrow::LibraryShotPlayer m_shots;
    // Messages sent and not yet handled, by seat, in the order sent.
    std::deque<std::pair<int, std::string>> m_inbox;
    skerrow::MatchReferee m_referee;
};

} // namespace sample_engine
