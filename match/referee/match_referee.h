#pragma once

// The rules of a match between two players, without sockets or timers: the
// referee turns what happens (a message from a player, a lost connection, the
// alarm it asked for) into messages to each player, record lines and result
// lines, through a RefereeHost, reads the time from a MatchClock and plays
// every delivery through a ShotPlayer. Every call returns at once; nothing
// waits. The match server and engine-series play by it.

#include "game_rules.h"
#include "json_line.h"
#include "match_numbers.h"
#include "referee_ports.h"
#include "unasked_messages.h"

#include <tarnwick/tarnwick.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace skerrow {

// How a match is played.
struct MatchConfig {
    // Ends per game, 1 to 10.
    int ends = kEnds;
    // Games in the match, at least 1; the players swap colours every game.
    int games = 1;
    // Delivery error handed to Simulation, as an offset at the tee in metres.
    float randomSize = 0.1f;
    // Each side's thinking time for a whole game, in milliseconds.
    std::int64_t thinkingMs = 300000;
    // Longest wait for READYOK after ISREADY, in milliseconds.
    std::int64_t readyMs = 30000;
    // The match seed: every delivery's error is drawn from
    // DeliverySeed(seed, game, end, stone), so the same seed replays the
    // same errors.
    std::uint64_t seed = 0;
    // A limit per stone instead of thinkingMs, in milliseconds; 0 for none.
    // With it, every GO gives the side stoneMs afresh, and an answer that
    // comes later costs that stone only: the next one is asked for again.
    std::int64_t stoneMs = 0;
};

// How one game ended.
struct GameResult {
    // Counted from 1.
    int game = 0;
    // By colour (kRed, kYellow).
    std::array<std::string, 2> names;
    std::array<std::int64_t, 2> points{};
    // By colour: the side lost the game by disconnecting or not answering ISREADY.
    std::array<bool, 2> forfeited{};
    // The winning colour; none for a draw, or when both sides forfeited.
    std::optional<int> winner;
    // The line announced for the game, e.g. "Game 1: Alice 5 - 3 Bob (Alice wins)".
    std::string line;
};

class MatchReferee {
public:
    // `names`: the players' display names by seat (the order of login); the
    // player in seat 0 plays red in the first game. `host`, `clock` and
    // `shots` must outlive the referee.
    MatchReferee(const MatchConfig& config, std::array<std::string, 2> names, RefereeHost& host,
                 const MatchClock& clock, ShotPlayer& shots);
    MatchReferee(const MatchReferee&) = delete;
    MatchReferee& operator=(const MatchReferee&) = delete;

    // Opens the first game.
    void Start();
    // One zero-terminated message from the player in `seat`, without its
    // zero, read from the connection at `receivedMs` (the clock's time): an
    // answer is timed by when it arrived, not by when it was handled.
    void OnMessage(int seat, std::string_view message, std::int64_t receivedMs);
    // `count` messages from the player in `seat` were too long to keep and
    // were dropped unread.
    void OnDropped(int seat, std::size_t count);
    // The player in `seat` is gone.
    void OnDisconnected(int seat);
    // The alarm last asked for has gone off (possibly early: the referee
    // reads the clock and asks again when it is not yet time).
    void OnAlarm();

    bool isOver() const { return m_phase == Phase::Over; }
    const std::vector<GameResult>& results() const { return m_results; }

private:
    enum class Phase { WaitingForReady, Playing, WaitingForAnswer, Over };

    int SeatOf(int colour) const { return colour == kRed ? m_redSeat : 1 - m_redSeat; }
    int ColourOf(int seat) const { return seat == m_redSeat ? kRed : kYellow; }
    const std::string& NameOf(int colour) const { return m_names[SeatOf(colour)]; }
    std::int64_t Now() const;

    void StartGame();
    void PlayOn();
    // The answer `text` to GO, with the delivery it names if it is a valid
    // one.
    void TakeAnswer(std::string_view text, std::optional<ShotVec> shot, std::int64_t receivedMs);
    // A message from `seat` that nothing asked for (`text` is none for an
    // over-long one): counted, recorded while few, and the player cut off
    // past the limits.
    void Ignore(int seat, std::optional<std::string_view> text);
    void CutOff(int seat);
    void RunOutOfTime(std::int64_t thinkingMs, std::optional<std::string_view> lateAnswer);
    void PlayStone(int colour, std::optional<ShotVec> asked, std::string_view reason);
    void CloseEnd(int end);
    void FinishGame(const std::array<std::optional<std::string>, 2>& forfeits);
    void FinishMatch();

    void SendBoth(std::string_view text);
    JsonLine Event(std::string_view name) const;
    void Record(const JsonLine& line);

    MatchConfig m_config;
    std::array<std::string, 2> m_names;
    RefereeHost& m_host;
    const MatchClock& m_clock;
    ShotPlayer& m_shots;

    Phase m_phase = Phase::WaitingForReady;
    std::array<bool, 2> m_connected{true, true}; // by seat

    // The game in progress.
    int m_gameIndex = 0; // counted from 0
    int m_redSeat = 0;
    GameState m_state{};
    int m_firstColour = kRed;     // delivers the even-indexed stones of the current end
    std::vector<int> m_redScores; // one per end played, positive for red
    std::array<std::int64_t, 2> m_remainingMs{}; // by colour
    std::array<bool, 2> m_outOfTime{};           // by colour
    std::array<bool, 2> m_ready{};               // by seat
    std::array<UnaskedMessages, 2> m_unasked;    // by seat, in this game
    std::int64_t m_gameStartMs = 0;
    std::int64_t m_readyDeadlineMs = 0;
    int m_toDeliver = kRed;
    std::int64_t m_askedAtMs = 0;

    // The match so far.
    std::vector<GameResult> m_results;
    std::array<int, 2> m_wins{};            // by seat
    std::array<std::int64_t, 2> m_points{}; // by seat
    int m_drawn = 0;
};

} // namespace skerrow
