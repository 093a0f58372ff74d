// engine-series: the sample engine against the plain engine, which always
// draws to the tee, in-process and under the match server's rules. It shows
// whether a change to the thinking makes the engine stronger.
//
// The rules: the first named side (red) delivers first in the first end;
// after an end the side that scored delivers first in the next one, after a
// blank end the order stays; every delivery is played by Simulation with the
// server's delivery error. Colours swap every game.

#include "command_line.h"
#include "engine_session.h"
#include "game_rules.h"
#include "match_numbers.h"
#include "shot_chooser.h"

#include <tarnwick/tarnwick.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

using sample_engine::DrawToTheTee;
using sample_engine::ReadNumber;
using sample_engine::ShotChooser;

namespace {

using skerrow::kEnds;
using skerrow::kRed;
using skerrow::kStonesPerEnd;

constexpr std::string_view kUsage =
    "Usage: engine-series [--games G] [--ends E] [--max-think-ms MS] [--seed N]\n"
    "                     [--random R]\n"
    "\n"
    "Plays G games (default 20) of E ends (1 to 10, default 10) between the\n"
    "sample engine and an engine that always draws to the tee, colours swapped\n"
    "every game, and prints every result and the sample engine's record.\n"
    "\n"
    "  --max-think-ms MS  the sample engine's time for one stone (default 100)\n"
    "  --seed N           seed of the sample engine's sampling (default 1)\n"
    "  --random R         delivery error the server adds, in metres at the tee\n"
    "                     (default 0.1)\n";

struct SeriesOptions {
    int games = 20;
    int ends = kEnds;
    int maxThinkMs = 100;
    unsigned seed = 1;
    float randomSize = 0.1f;
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
        }
        if (!good) {
            std::cerr << "engine-series: bad option '" << name << " " << value << "'\n";
            return false;
        }
    }
    return true;
}

// Points of each colour in one game.
struct GameResult {
    int red = 0;
    int yellow = 0;
};

GameResult PlayGame(const SeriesOptions& options, bool sampleIsRed, const ShotChooser& chooser,
                    std::mt19937& rng) {
    std::vector<int> redScores;
    GameState state = skerrow::EmptySheet(options.ends);
    int firstToDeliver = kRed;
    for (int end = 0; end < options.ends; ++end) {
        state.currentEnd = end;
        state.shotNumber = 0;
        state.turnFlag = firstToDeliver;
        skerrow::ClearSheet(state);
        for (int shot = 0; shot < kStonesPerEnd; ++shot) {
            const bool sampleToPlay = (state.turnFlag == kRed) == sampleIsRed;
            const ShotVec delivery =
                sampleToPlay
                    ? chooser.Choose(state, std::chrono::milliseconds(options.maxThinkMs), rng)
                    : DrawToTheTee();
            // As on the match server: the library adds the delivery error.
            Simulation(&state, delivery, options.randomSize, nullptr, -1);
        }
        const int endScore = state.endScores[end];
        redScores.push_back(skerrow::RedScore(firstToDeliver, endScore));
        firstToDeliver = skerrow::FirstToDeliverNext(firstToDeliver, endScore);
    }
    const skerrow::Points points = skerrow::Tally(redScores);
    return {static_cast<int>(points.red), static_cast<int>(points.yellow)};
}

} // namespace

int main(int argc, char** argv) {
    SeriesOptions options;
    if (const std::optional<int> status =
            sample_engine::HandleCommandLine(argc, argv, options, ParseOptions, kUsage)) {
        return *status;
    }

    const ShotChooser chooser(options.randomSize);
    std::mt19937 rng(options.seed);
    int wins = 0;
    int losses = 0;
    int draws = 0;
    int pointsFor = 0;
    int pointsAgainst = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int game = 0; game < options.games; ++game) {
        const bool sampleIsRed = game % 2 == 0;
        const GameResult result = PlayGame(options, sampleIsRed, chooser, rng);
        const int mine = sampleIsRed ? result.red : result.yellow;
        const int theirs = sampleIsRed ? result.yellow : result.red;
        pointsFor += mine;
        pointsAgainst += theirs;
        const char* verdict = mine > theirs ? "win" : mine < theirs ? "loss" : "draw";
        (mine > theirs ? wins : mine < theirs ? losses : draws) += 1;
        std::printf("game %2d: sample (%s) %2d - %2d plain (%s): %s\n", game + 1,
                    sampleIsRed ? "red" : "yellow", mine, theirs, sampleIsRed ? "yellow" : "red",
                    verdict);
        std::fflush(stdout);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("sample engine: %d-%d-%d (wins-losses-draws), points %d-%d, %.1f s\n", wins, losses,
                draws, pointsFor, pointsAgainst, seconds);
    return 0;
}
