#pragma once

// Plays the games of a series, `concurrency` at a time, each on a thread of
// its own with its own engine processes; reports progress after every game,
// and stops early when the SPRT decides or an engine keeps failing.

#include "series_options.h"
#include "series_plan.h"
#include "series_records.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

namespace skerrow::match_runner {

// An engine that loses this many games in a row by forfeit (it crashed, did
// not start, or flooded) stops the series.
constexpr int kMostForfeitsInARow = 3;

struct SeriesRun {
    // Every finished game, those from before a resume included.
    std::map<int, GameOutcome> outcomes;
    // Games the whole series (or shard) has.
    std::int64_t totalGames = 0;
    // Why the series ended before its last game; empty when it did not.
    std::string stopped;
    // True when it stopped for a failure (not for the SPRT's decision).
    bool failed = false;
};

struct SeriesSetup {
    SeriesOptions options;
    std::uint64_t seed = 0;
    // Where the records go (empty: none) and the engines' logs.
    std::string recordsFolder;
    std::string logFolder;
    // Games already played, from the records of an interrupted run.
    std::map<int, GameOutcome> done;
};

// Plays what `setup` leaves to play. Progress goes to `progress`, refreshed in
// place when `inPlace` (a terminal), otherwise a line per finished pair; the
// referee's remarks to logFolder/referee.log.
SeriesRun PlaySeries(const SeriesSetup& setup, std::FILE* progress, bool inPlace);

// The game config of one scheduled game.
MatchConfig GameConfig(const SeriesOptions& options, std::uint64_t seed);

} // namespace skerrow::match_runner
