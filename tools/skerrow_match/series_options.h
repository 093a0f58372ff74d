#pragma once

// skerrow-match's command line.

#include "game_runner.h"
#include "series_plan.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace skerrow::match_runner {

struct SprtOptions {
    double elo0 = 0.0;
    double elo1 = 5.0;
    double alpha = 0.05;
    double beta = 0.05;
};

struct SeriesOptions {
    std::vector<EngineEntry> engines;
    bool gauntlet = false;
    // Game pairs per engine pairing.
    int pairs = 10;
    int ends = 10;
    float randomSize = 0.1f;
    // Each side's thinking time for a game, in milliseconds.
    std::int64_t timeMs = 300000;
    // A limit per stone instead, in milliseconds.
    std::optional<std::int64_t> shotMs;
    int concurrency = 1;
    std::optional<SprtOptions> sprt;
    std::string records;
    std::string resume;
    std::optional<std::uint64_t> seed;
    std::optional<Shard> shard;
    std::vector<std::string> merge;
    bool json = false;
    bool help = false;
};

struct SeriesParseResult {
    SeriesOptions options;
    // Empty when the command line was read; otherwise what is wrong with it.
    std::string error;
};

// Reads the arguments after the program's name. An engine's words run from
// its --engine to the next --engine or to a lone "--", so that an engine may
// take options of any name (even skerrow-match's own).
SeriesParseResult ParseSeriesOptions(const std::vector<std::string>& arguments);

extern const char* const kSeriesUsage;

} // namespace skerrow::match_runner
