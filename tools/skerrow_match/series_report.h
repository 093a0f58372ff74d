#pragma once

// The figures of a series, from its game outcomes: per pair of engines the
// games, wins, losses, draws, points, Elo with its interval, likelihood of
// superiority, pentanomial counts and time per stone, and the SPRT's state;
// as a table, a progress line and JSON. Built afresh from the outcomes every
// time, so that a live series, a resumed one and a merge of shards print the
// same figures for the same games.

#include "series_options.h"
#include "series_records.h"
#include "series_statistics.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace skerrow::match_runner {

struct PairingReport {
    // The engine whose view the figures take, and its opponent.
    std::string first;
    std::string second;
    series::GameTally games;
    // Points by engine (first, second).
    std::array<std::int64_t, 2> points{};
    series::Pentanomial pairs;
    series::Interval elo{};
    double los = 0.5;
    // Average thinking time per answered stone, by engine; none without one.
    std::array<std::optional<double>, 2> msPerStone;
    // Games lost by forfeit (a crash, no start, flooding), by engine.
    std::array<std::int64_t, 2> forfeits{};
};

struct SprtState {
    SprtOptions options;
    double llr = 0.0;
    series::SprtBounds bounds{};
    series::SprtDecision decision = series::SprtDecision::Continue;
};

struct SeriesReport {
    std::int64_t games = 0;
    // Pairs with both games played.
    std::int64_t pairs = 0;
    std::vector<PairingReport> pairings;
    // Over the first pairing, with --sprt.
    std::optional<SprtState> sprt;
};

// The report on `outcomes`. A pair of engines is known by the order of its
// first game (pair p's game 2p + 1 has the first engine as red); `order`
// lists engine names in command-line order, to sort the pairings by.
SeriesReport MakeReport(const std::map<int, GameOutcome>& outcomes,
                        const std::vector<std::string>& order,
                        const std::optional<SprtOptions>& sprt);

// One line: games done / total, W-L-D, Elo and interval, LLR and bounds.
std::string ProgressLine(const SeriesReport& report, std::int64_t totalGames);
// The final table, one row per pair of engines.
std::string ReportTable(const SeriesReport& report);
// The summary as one JSON object; `extra` fields (seed, time, stop reason)
// are added at its top.
std::string ReportJson(const SeriesReport& report, const std::map<std::string, std::string>& extra);

} // namespace skerrow::match_runner
