// engine-series: the sample engine against the plain engine, which always
// draws to the tee, or against itself with legacy sampling, in-process and
// refereed by the match server's own referee (colours swap every game; every
// delivery is played with the server's delivery error). It shows whether a
// change to the thinking makes the engine stronger.

#include "command_line.h"
#include "engine_session.h"
#include "match_numbers.h"
#include "session_match.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using sample_engine::EngineOptions;
using sample_engine::EngineSession;
using sample_engine::ReadNumber;

namespace {

using skerrow::kEnds;
using skerrow::kRed;
using skerrow::kYellow;

// Each side's clock for a game, in milliseconds: the sample engine's own cap
// on a stone's think decides, never the clock.
constexpr std::int64_t kUnlimitedMs = 1000LL * 60 * 60 * 24;

constexpr std::string_view kUsage =
    "Usage: engine-series [--games G] [--ends E] [--max-think-ms MS] [--seed N]\n"
    "                     [--random R] [--threads T] [--opponent plain|legacy]\n"
    "\n"
    "Plays G games (default 20) of E ends (1 to 10, default 10) between the\n"
    "sample engine and an opponent, colours swapped every game, and prints\n"
    "every result and the sample engine's record. Each engine that thinks\n"
    "writes its simulations per second on standard error after each game.\n"
    "\n"
    "  --opponent O       plain (default): always draws to the tee; legacy: the\n"
    "                     sample engine with --legacy-sampling, at the same time\n"
    "                     for one stone\n"
    "  --max-think-ms MS  the thinking engines' time for one stone (default 100)\n"
    "  --threads T        threads of the sample engine's samples (default 0: one\n"
    "                     per core)\n"
    "  --seed N           seed of the sample engine's sampling and of the\n"
    "                     delivery errors, drawn per game, end and stone as the\n"
    "                     match server draws them (default 1)\n"
    "  --random R         delivery error the server adds, in metres at the tee\n"
    "                     (default 0.1)\n";

struct SeriesOptions {
    int games = 20;
    int ends = kEnds;
    int maxThinkMs = 100;
    unsigned seed = 1;
    float randomSize = 0.1f;
    int threads = 0;
    bool legacyOpponent = false;
};

bool ParseOptions(int argc, char** argv, SeriesOptions& options, bool& help) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view name = argv[i];
        if (name == "--help") {
            help = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::cerr << "engine-series: '" << name << "' is unknown or lacks a value\n";
            return false;
        }
        const std::string_view value = argv[++i];
        bool good = false;
        if (name == "--games") {
            good = ReadNumber(value, options.games) && options.games > 0;
        } else if (name == "--ends") {
            good = ReadNumber(value, options.ends) && options.ends >= 1 && options.ends <= kEnds;
        } else if (name == "--max-think-ms") {
            good = ReadNumber(value, options.maxThinkMs) && options.maxThinkMs >= 0;
        } else if (name == "--seed") {
            good = ReadNumber(value, options.seed);
        } else if (name == "--random") {
            good = ReadNumber(value, options.randomSize) && options.randomSize >= 0.0f;
        } else if (name == "--threads") {
            good = ReadNumber(value, options.threads) && options.threads >= 0;
        } else if (name == "--opponent") {
            good = value == "plain" || value == "legacy";
            options.legacyOpponent = value == "legacy";
        }
        if (!good) {
            std::cerr << "engine-series: bad option '" << name << " " << value << "'\n";
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    SeriesOptions options;
    if (const std::optional<int> status =
            sample_engine::HandleCommandLine(argc, argv, options, ParseOptions, kUsage)) {
        return *status;
    }

    EngineOptions sampleOptions;
    sampleOptions.randomSize = options.randomSize;
    sampleOptions.seed = options.seed;
    sampleOptions.maxThinkMs = options.maxThinkMs;
    sampleOptions.sampling.threads = options.threads;
    EngineSession sample(sampleOptions, std::chrono::steady_clock::now, &std::cerr);
    EngineOptions opponentOptions = sampleOptions;
    opponentOptions.plain = !options.legacyOpponent;
    opponentOptions.sampling.legacy = true;
    EngineSession opponent(opponentOptions, std::chrono::steady_clock::now, &std::cerr);
    const std::string opponentName = options.legacyOpponent ? "legacy" : "plain";

    skerrow::MatchConfig config;
    config.ends = options.ends;
    config.games = options.games;
    config.randomSize = options.randomSize;
    config.thinkingMs = kUnlimitedMs;
    config.readyMs = kUnlimitedMs;
    config.seed = options.seed;
    int wins = 0;
    int losses = 0;
    int draws = 0;
    std::int64_t pointsFor = 0;
    std::int64_t pointsAgainst = 0;
    const auto start = std::chrono::steady_clock::now();
    // The sample engine is red in the first game.
    sample_engine::SessionMatch match(config, {&sample, &opponent}, {"sample", opponentName},
                                      std::cerr);
    match.Play([&](const skerrow::GameResult& result) {
        const int sampleColour = result.names[kRed] == "sample" ? kRed : kYellow;
        const std::int64_t mine = result.points[sampleColour];
        const std::int64_t theirs = result.points[1 - sampleColour];
        pointsFor += mine;
        pointsAgainst += theirs;
        const char* verdict = mine > theirs ? "win" : mine < theirs ? "loss" : "draw";
        (mine > theirs ? wins : mine < theirs ? losses : draws) += 1;
        const bool sampleIsRed = sampleColour == kRed;
        std::printf("game %2d: sample (%s) %2lld - %2lld %s (%s): %s\n", result.game,
                    sampleIsRed ? "red" : "yellow", static_cast<long long>(mine),
                    static_cast<long long>(theirs), opponentName.c_str(),
                    sampleIsRed ? "yellow" : "red", verdict);
        std::fflush(stdout);
    });
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("sample engine: %d-%d-%d (wins-losses-draws), points %lld-%lld, %.1f s\n", wins,
                losses, draws, static_cast<long long>(pointsFor),
                static_cast<long long>(pointsAgainst), seconds);
    return 0;
}
