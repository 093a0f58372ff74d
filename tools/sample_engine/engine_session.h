#pragma once

// The sample engine's side of the engine protocol: it keeps the position that
// the match server reports and answers ISREADY and GO.
//
// Messages arrive on standard input as text followed by one zero byte; each
// answer is one line on standard output, flushed at once so that the relay
// sees it while the engine waits for the next message.

#include "protocol_messages.h"
#include "shot_chooser.h"

#include <tarnwick/tarnwick.h>

#include <chrono>
#include <istream>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <string_view>

namespace sample_engine {

struct EngineOptions {
    // Delivery error that the server adds, as an offset at the tee in metres.
    float randomSize = 0.1f;
    // Seed of the engine's own delivery errors; equal seeds think alike.
    unsigned seed = 1;
    // Always draw to the tee instead of thinking (the baseline opponent).
    bool plain = false;
    // Longest think for one stone, in milliseconds.
    int maxThinkMs = 3000;
    // How the samples are played: the library's seeded batches on `threads`
    // threads (0: one per core), or the engine's own legacy error model.
    Sampling sampling;
};

// Time to think about one stone: an equal share of `remainingMs` (the side's
// clock for the rest of the game) for each stone the side still has to play,
// lessened by a fifth for the relay and the pipes, and at most `maxThinkMs`.
// A negative `remainingMs` means the clock is unknown: then `maxThinkMs`.
// Safe for any numbers in `state` (the server's words may hold any int): the
// stones left are counted as at most one game of ten ends can have.
std::chrono::milliseconds ThinkingTime(const GameState& state, long long remainingMs,
                                       int maxThinkMs);

class EngineSession {
public:
    // When `report` is given, the session writes one line to it after each
    // game it thought in: its simulations per second.
    explicit EngineSession(EngineOptions options,
                           ShotChooser::Clock clock = std::chrono::steady_clock::now,
                           std::ostream* report = nullptr);

    // Handles one message (without its zero byte) and returns the line to
    // answer with, without its newline; nothing for messages that need no
    // answer and for words the engine does not know.
    std::optional<std::string> HandleMessage(std::string_view message);

    // Reads messages from `in` until it ends and writes each answer to `out`
    // as a line, flushed. A game cut short is reported when `in` ends.
    void Run(std::istream& in, std::ostream& out);

    // The position as the server last reported it.
    const GameState& state() const { return m_state; }

private:
    std::string BestShot(const skerrow::Go& go);
    // Writes the thinking of the game so far to the report, if any, and
    // starts counting afresh.
    void ReportThinking();

    EngineOptions m_options;
    ShotChooser m_chooser;
    std::mt19937 m_rng;
    GameState m_state{};
    std::ostream* m_report;
    ThinkStats m_thinking; // of the game being played
};

} // namespace sample_engine
