#pragma once

// The statistics of a series between two engines: Elo from a score, its 95 %
// interval, the likelihood of superiority, and the sequential probability
// ratio test over game pairs. Plain functions over counts, no I/O.
//
// Elo model: logistic throughout. A score s (points per game, 0..1) is worth
// -400 log10(1/s - 1) Elo, and an Elo difference e means an expected score of
// 1 / (1 + 10^(-e/400)). The SPRT's elo0 and elo1 are in the same units as the
// Elo the report prints, so a user reads both on one scale.
//
// Every function accepts empty counts and one-sided results (all wins, all
// draws) without producing NaN: Elo becomes +-infinity where the score is 1
// or 0, and an interval over no games spans -inf..+inf.

#include <array>
#include <cstdint>
#include <string>

namespace skerrow::series {

// Counts of game pairs by the first engine's points in the pair: 0, 0.5, 1,
// 1.5, 2 (index = points * 2).
struct Pentanomial {
    std::array<std::int64_t, 5> counts{};

    std::int64_t Pairs() const;
    // The first engine's mean score per game, 0..1; 0.5 when no pair is counted.
    double Score() const;
    // Counts one pair in which the first engine scored `points` (0, 0.5, ..,
    // 2). Throws std::invalid_argument for any other value.
    void AddPair(double points);
    Pentanomial& operator+=(const Pentanomial& other);
};

// Single games, the first engine's view.
struct GameTally {
    std::int64_t wins = 0, losses = 0, draws = 0;

    std::int64_t Games() const { return wins + losses + draws; }
    GameTally& operator+=(const GameTally& other);
};

// An Elo estimate with its 95 % confidence interval, in logistic Elo.
struct Interval {
    double value, lower, upper;
};

// Logistic Elo of a score fraction: -400 log10(1/s - 1); -inf at s <= 0 and
// +inf at s >= 1.
double EloFromScore(double score);
// Expected score fraction of an Elo difference: 1 / (1 + 10^(-elo/400)).
double ScoreFromElo(double elo);

// Elo of single games with the trinomial (win/draw/loss) variance of one
// game's score, by the normal approximation. All wins: +inf..+inf; all draws:
// 0..0 (the approximation sees no spread); no games: 0 in -inf..+inf.
Interval EloFromGames(const GameTally& games);
// Elo of game pairs with the variance of the pair score, which keeps the
// correlation between the two games of a pair that the trinomial ignores.
Interval EloFromPairs(const Pentanomial& pairs);

// Probability that the first engine is the stronger, from wins and losses
// (draws carry no information): Phi((W - L) / sqrt(W + L)). 0.5 without
// decisive games.
double LikelihoodOfSuperiority(const GameTally& games);

// Wald's stopping bounds for the log-likelihood ratio.
struct SprtBounds {
    double lower, upper; // log(beta / (1 - alpha)), log((1 - beta) / alpha)
};

// alpha: the chance of accepting H1 when H0 holds; beta: of accepting H0 when
// H1 holds. Throws std::invalid_argument unless both lie in (0, 1) and
// alpha + beta < 1.
SprtBounds SprtBoundsFor(double alpha, double beta);

// An empty text when the SPRT's parameters are usable, otherwise what is wrong
// with them, for a command line to print: finite elo0 < elo1, alpha and beta
// as SprtBoundsFor wants them.
std::string SprtParameterError(double elo0, double elo1, double alpha, double beta);

// Generalised SPRT over game pairs: log of the likelihood of the pairs under
// H1 (true Elo = elo1) over H0 (true Elo = elo0), each likelihood maximised
// over all pentanomial distributions whose mean score is the hypothesis's
// logistic score. Empty cells count as 1e-3 pair so that one-sided results
// (all wins, all draws) keep a finite ratio. 0 without pairs or with
// unusable Elo bounds.
double PentanomialLlr(const Pentanomial& pairs, double elo0, double elo1);

enum class SprtDecision { Continue, AcceptH0, AcceptH1 };

// AcceptH1 at or above the upper bound, AcceptH0 at or below the lower.
SprtDecision Decide(double llr, SprtBounds bounds);

// Elo for people: "+190.9", "-35.0", "0.0", "+inf", "-inf".
std::string FormatElo(double elo);
// An interval as "+190.9 [+150.2, +231.7]".
std::string FormatInterval(const Interval& interval);

} // namespace skerrow::series
