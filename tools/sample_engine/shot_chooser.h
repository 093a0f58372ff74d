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
// To write an engine of your own, start by changing the candidates and the
// value of a position (both in shot_chooser.cpp).

#include <tarnwick/tarnwick.h>

#include <chrono>
#include <functional>
#include <random>
#include <vector>

namespace sample_engine {

// The draw to the tee with curl 0 that the plain engine always plays.
ShotVec DrawToTheTee();

class ShotChooser {
public:
    // Now, on a steady clock. Tests pass a fake one.
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // randomSize: the delivery error that the match server adds, as an offset
    // at the tee in metres (0.1 there); 0 plans as if every delivery were
    // exact.
    explicit ShotChooser(float randomSize = 0.1f, Clock clock = std::chrono::steady_clock::now);

    // The delivery for the side that owns the stones of parity
    // state.shotNumber % 2 (state: shotNumber 0 to 15, currentEnd 0 to 9).
    // Thinks until `budget` has passed; the clock is read between
    // simulations, so the budget is overrun by at most one of them (a few
    // milliseconds). `rng` draws the delivery errors of the samples. With no
    // time at all, or on a position the library refuses, the answer is
    // DrawToTheTee().
    ShotVec Choose(const GameState& state, std::chrono::milliseconds budget,
                   std::mt19937& rng) const;

private:
    struct Candidate {
        ShotVec shot{};
        double total = 0.0; // sum of the values of the positions it led to
        int samples = 0;

        double Mean() const;
    };

    std::vector<Candidate> Candidates(const GameState& state,
                                      const std::function<bool()>& outOfTime) const;

    float m_randomSize;
    // Spread of the delivery velocity that a random size of m_randomSize
    // means, in m/s (across and along the sheet).
    float m_sigmaVx = 0.0f;
    float m_sigmaVy = 0.0f;
    Clock m_clock;
};

} // namespace sample_engine
