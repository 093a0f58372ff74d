#pragma once

// One game between two engine programs, refereed by the match referee: each
// engine runs as a child process of its own for this game only, its lines are
// read on a thread of its own and handed to the referee in the order they
// arrived, the referee's alarm is a deadline this thread waits for. Nothing
// but the two engines' pipes lies between them and the referee.

#include "child_process.h"
#include "library_shot_player.h"
#include "match_referee.h"
#include "steady_clock.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace skerrow::match_runner {

// One engine as the command line named it.
struct EngineEntry {
    std::string name;
    // The program, then its arguments.
    std::vector<std::string> command;
};

struct GameSetup {
    // By colour: red (seat 0, who delivers first) and yellow.
    std::array<const EngineEntry*, 2> engines{};
    // One game: games is 1, the seed the pair's.
    MatchConfig config;
    // The record file to write; empty for none.
    std::string recordPath;
    // Each engine's standard error is appended to logFolder/NAME.log.
    std::string logFolder;
};

// What a game left behind.
struct GamePlayed {
    // The record's lines, as written to the record file.
    std::vector<std::string> record;
    // The referee's remarks and the runner's own (an engine that did not
    // start, a record that could not be written).
    std::vector<std::string> notes;
};

class GameRunner final : private RefereeHost {
public:
    explicit GameRunner(const GameSetup& setup);
    GameRunner(const GameRunner&) = delete;
    GameRunner& operator=(const GameRunner&) = delete;
    ~GameRunner();

    // Starts both engines and plays the game to its end.
    GamePlayed Play();

private:
    struct Event {
        enum class Kind { Line, Dropped, Ended };
        Kind kind = Kind::Line;
        int seat = 0;
        std::string text;
        std::size_t dropped = 0;
        std::int64_t receivedMs = 0;
    };

    void StartEngine(int seat);
    void ReadEngine(int seat);
    void Push(Event event);
    void StopEngines();

    std::int64_t NowMs() const { return m_clock.NowMs(); }
    // RefereeHost
    void SendTo(int seat, std::string_view text) override;
    void Disconnect(int seat) override;
    void SetAlarm(std::optional<std::int64_t> delayMs) override;
    void BeginRecord(int game, const std::string& red, const std::string& yellow) override;
    void WriteRecord(std::string_view line) override;
    void EndRecord() override;
    void Announce(std::string_view) override {}
    void Note(std::string_view line) override;
    void MatchOver() override { m_over = true; }

    const GameSetup& m_setup;
    LibraryShotPlayer m_shots;
    SteadyClock m_clock;
    std::array<std::unique_ptr<ChildProcess>, 2> m_engines;
    std::array<std::thread, 2> m_readers;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Event> m_events;
    bool m_stopping = false;
    std::optional<std::int64_t> m_alarmAtMs;
    bool m_over = false;
    std::ofstream m_record;
    GamePlayed m_played;
};

} // namespace skerrow::match_runner
