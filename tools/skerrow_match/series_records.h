#pragma once

// A series on disk: one record per game in the match server's format, named
// by the game's number in the series, and series.json, which holds the
// series' command line and seed so that --resume and --merge know what the
// records belong to. Every figure of a report is read back from the records
// the same way, whether the games were just played, resumed or merged.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace skerrow::match_runner {

// How one game ended, as its record says.
struct GameOutcome {
    // The game's number in the series (from the record's file name).
    int number = 0;
    // By colour (red, yellow).
    std::array<std::string, 2> names;
    std::array<std::int64_t, 2> points{};
    std::optional<int> winner;
    std::array<bool, 2> forfeited{};
    // Thinking time of every answer, and the answers counted.
    std::array<std::int64_t, 2> thinkingMs{};
    std::array<std::int64_t, 2> answers{};
    std::uint64_t seed = 0;
    // The game's result line.
    std::string result;
};

// The outcome in a record's lines; none when the record does not hold a
// whole game (no newgame or no gameover line) or a line is not JSON.
std::optional<GameOutcome> ReadGameRecord(const std::vector<std::string>& lines, int number);

// The game number in a record's file name, "game-<n>-...jsonl"; none for
// other names.
std::optional<int> GameNumberOfFile(const std::string& fileName);

// Every finished game recorded in `folder`, by number; `error` says what is
// wrong when the folder cannot be read or holds two records of one game.
std::map<int, GameOutcome> LoadRecords(const std::string& folder, std::string& error);

// What series.json holds.
struct SeriesFile {
    // The command line the series was started with (without the program).
    std::vector<std::string> arguments;
    std::uint64_t seed = 0;
};

bool WriteSeriesFile(const std::string& folder, const SeriesFile& series, std::string& error);
std::optional<SeriesFile> ReadSeriesFile(const std::string& folder, std::string& error);

// Writes `text` to folder/name through a temporary file, so that a reader
// never sees half of it.
bool WriteWholeFile(const std::string& folder, const std::string& name, const std::string& text,
                    std::string& error);

} // namespace skerrow::match_runner
