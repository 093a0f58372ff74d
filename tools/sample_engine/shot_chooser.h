#pragma once

// The thinking of the sample engine: which delivery to play on a position.
//
// It is a Monte Carlo search one shot deep. A few dozen candidate deliveries
// are planned with the library (draws into and in front of the house, guards,
// takeouts, raises), each is played with a random delivery error like the one
// the match server adds, and the candidate whose resulting positions are worth
// most on average is played. Rounds of sampling halve the field, so the time
// goes to the candidates that are still in the running.
//
// The error comes from the library's seeded simulation: the n-th sample of
// every candidate is played with seed base + n, so all candidates meet the
// same luck and differ only by their own merit (common random numbers). Each
// candidate's samples of a round go to the library as one batch, played on
// several threads.
//
// To write an engine of your own, start by changing the candidates and the
// value of a position (both in shot_chooser.cpp).

#include <tarnwick/tarnwick.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

namespace sample_engine {

// The draw to the tee with curl 0 that the plain engine always plays.
ShotVec DrawToTheTee();

// How the chooser plays its samples.
struct Sampling {
    // The way the engine sampled before the library took seeds: it draws a
    // normal error of its own from the generator, adds it to the delivery and
    // asks for an exact simulation, one call per sample. Kept to measure the
    // seeded search against.
    bool legacy = false;
    // Threads of each batch of seeded samples, counting the caller's; 0 means
    // one per core. The choice does not depend on it.
    int threads = 0;
};

// What thinking cost: the samples simulated and the time spent, planning
// included, as read on the chooser's clock. Choose adds to it.
struct ThinkStats {
    std::int64_t simulations = 0;
    std::chrono::steady_clock::duration time{};

    // Samples simulated per second of thinking; 0 before any time has passed.
    double PerSecond() const;
};

class ShotChooser {
public:
    // Now, on a steady clock. Tests pass a fake one.
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // randomSize: the delivery error that the match server adds, as an offset
    // at the tee in metres (0.1 there); 0 plans as if every delivery were
    // exact.
    explicit ShotChooser(float randomSize = 0.1f, Clock clock = std::chrono::steady_clock::now,
                         Sampling sampling = {});

    // The delivery for the side that owns the stones of parity
    // state.shotNumber % 2 (state: shotNumber 0 to 15, currentEnd 0 to 9).
    // Thinks until `budget` has passed; the clock is read between batches
    // (between simulations when legacy), so the budget is overrun by at most
    // one of them (a few milliseconds). `rng` draws the base seed of the
    // samples (the errors themselves when legacy): equal generators choose
    // alike. A candidate whose delivery the library refuses is dropped. With
    // no time at all, or on a position the library refuses, the answer is
    // DrawToTheTee(). When `stats` is given, the cost is added to it.
    ShotVec Choose(const GameState& state, std::chrono::milliseconds budget, std::mt19937& rng,
                   ThinkStats* stats = nullptr) const;

    const Sampling& sampling() const { return m_sampling; }

private:
    struct Candidate {
        ShotVec shot{};
        double total = 0.0; // sum of the values of the positions it led to
        int samples = 0;
        bool dropped = false; // the library refused one of its deliveries

        double Mean() const;
    };

    // Plays the next `count` samples of a candidate (legacy: always one) and
    // adds up what they are worth; returns the number of simulations.
    using Sampler = std::function<int(Candidate&, int count)>;

    std::vector<Candidate> Candidates(const GameState& state,
                                      const std::function<bool()>& outOfTime) const;
    Sampler LegacySampler(const GameState& state, std::mt19937& rng) const;
    Sampler SeededSampler(const GameState& state, std::mt19937& rng) const;

    float m_randomSize;
    // Spread of the delivery velocity that a random size of m_randomSize
    // means, in m/s (across and along the sheet).
    float m_sigmaVx = 0.0f;
    float m_sigmaVy = 0.0f;
    Clock m_clock;
    Sampling m_sampling;
};

} // namespace sample_engine
