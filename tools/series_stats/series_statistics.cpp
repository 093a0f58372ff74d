#include "series_statistics.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>

namespace skerrow::series {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Two-sided 95 % quantile of the standard normal distribution.
constexpr double kNormalQuantile95 = 1.959963984540054;
// Pairs counted in a pentanomial cell that saw none, so that the maximum
// likelihood distributions below exist for every mean score in (0, 1).
constexpr double kEmptyCellPairs = 1e-3;

// Mean score per game of a pair in each pentanomial cell.
constexpr std::array<double, 5> kPairScores{0.0, 0.25, 0.5, 0.75, 1.0};

// The mean of scores observed `counts[i]` times each, with the 95 % interval
// of the mean by the normal approximation, turned into Elo.
template <std::size_t N>
Interval EloOfMeanScore(const std::array<double, N>& scores,
                        const std::array<std::int64_t, N>& counts) {
    double n = 0.0, total = 0.0;
    for (std::size_t i = 0; i < N; ++i) {
        n += static_cast<double>(counts[i]);
        total += static_cast<double>(counts[i]) * scores[i];
    }
    if (n <= 0.0) {
        return {0.0, -kInfinity, kInfinity};
    }
    const double mean = total / n;
    double squares = 0.0;
    for (std::size_t i = 0; i < N; ++i) {
        squares += static_cast<double>(counts[i]) * (scores[i] - mean) * (scores[i] - mean);
    }
    const double margin = kNormalQuantile95 * std::sqrt(squares / n / n);
    return {EloFromScore(mean), EloFromScore(mean - margin), EloFromScore(mean + margin)};
}

// The pentanomial distribution of largest likelihood for the observed
// frequencies `observed` (all positive, summing to 1) among those with mean
// pair score `score` in (0, 1), after Van den Bergh's proposition: it is
// observed[i] / (1 + x (kPairScores[i] - score)) where x solves
//   f(x) = sum observed[i] d[i] / (1 + x d[i]) = 0,  d[i] = kPairScores[i] - score,
// on (-1 / (1 - score), 1 / score), where f falls from +inf to -inf. Returns
// the denominators 1 + x d[i].
std::array<double, 5> MaximumLikelihoodDenominators(const std::array<double, 5>& observed,
                                                    double score) {
    std::array<double, 5> d{};
    for (std::size_t i = 0; i < d.size(); ++i) {
        d[i] = kPairScores[i] - score;
    }
    // Newton's method kept inside a shrinking bracket; a step that leaves it
    // bisects instead, so the open ends (where f is infinite) are never hit.
    double lower = -1.0 / (1.0 - score), upper = 1.0 / score;
    double x = 0.0;
    for (int iteration = 0; iteration < 200; ++iteration) {
        double f = 0.0, slope = 0.0;
        for (std::size_t i = 0; i < d.size(); ++i) {
            const double term = d[i] / (1.0 + x * d[i]);
            f += observed[i] * term;
            slope -= observed[i] * term * term;
        }
        if (f == 0.0) {
            break;
        }
        (f > 0.0 ? lower : upper) = x;
        double next = x - f / slope;
        if (!(next > lower && next < upper)) {
            next = 0.5 * (lower + upper);
        }
        const bool converged = std::abs(next - x) <= 1e-15 * (1.0 + std::abs(x));
        x = next;
        if (converged) {
            break;
        }
    }
    std::array<double, 5> denominators{};
    for (std::size_t i = 0; i < d.size(); ++i) {
        denominators[i] = 1.0 + x * d[i];
    }
    return denominators;
}

} // namespace

std::int64_t Pentanomial::Pairs() const {
    std::int64_t pairs = 0;
    for (const std::int64_t count : counts) {
        pairs += count;
    }
    return pairs;
}

double Pentanomial::Score() const {
    const std::int64_t pairs = Pairs();
    if (pairs == 0) {
        return 0.5;
    }
    double total = 0.0;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        total += static_cast<double>(counts[i]) * kPairScores[i];
    }
    return total / static_cast<double>(pairs);
}

void Pentanomial::AddPair(double points) {
    const double halves = points * 2.0;
    if (!(halves >= 0.0 && halves <= 4.0) || halves != std::floor(halves)) {
        throw std::invalid_argument("a game pair scores 0, 0.5, 1, 1.5 or 2 points");
    }
    ++counts[static_cast<std::size_t>(halves)];
}

Pentanomial& Pentanomial::operator+=(const Pentanomial& other) {
    for (std::size_t i = 0; i < counts.size(); ++i) {
        counts[i] += other.counts[i];
    }
    return *this;
}

GameTally& GameTally::operator+=(const GameTally& other) {
    wins += other.wins;
    losses += other.losses;
    draws += other.draws;
    return *this;
}

double EloFromScore(double score) {
    if (score <= 0.0) {
        return -kInfinity;
    }
    if (score >= 1.0) {
        return kInfinity;
    }
    return -400.0 * std::log10(1.0 / score - 1.0);
}

double ScoreFromElo(double elo) {
    return 1.0 / (1.0 + std::pow(10.0, -elo / 400.0));
}

Interval EloFromGames(const GameTally& games) {
    return EloOfMeanScore(std::array<double, 3>{1.0, 0.0, 0.5},
                          std::array<std::int64_t, 3>{games.wins, games.losses, games.draws});
}

Interval EloFromPairs(const Pentanomial& pairs) {
    return EloOfMeanScore(kPairScores, pairs.counts);
}

double LikelihoodOfSuperiority(const GameTally& games) {
    const double decisive = static_cast<double>(games.wins + games.losses);
    if (decisive <= 0.0) {
        return 0.5;
    }
    const double lead = static_cast<double>(games.wins - games.losses);
    return 0.5 * (1.0 + std::erf(lead / std::sqrt(2.0 * decisive)));
}

SprtBounds SprtBoundsFor(double alpha, double beta) {
    if (!(alpha > 0.0 && alpha < 1.0 && beta > 0.0 && beta < 1.0 && alpha + beta < 1.0)) {
        throw std::invalid_argument("alpha and beta must lie in (0, 1) with alpha + beta < 1");
    }
    return {std::log(beta / (1.0 - alpha)), std::log((1.0 - beta) / alpha)};
}

std::string SprtParameterError(double elo0, double elo1, double alpha, double beta) {
    if (!std::isfinite(elo0) || !std::isfinite(elo1) || !(elo0 < elo1)) {
        return "elo0 and elo1 must be finite numbers with elo0 < elo1";
    }
    const double score0 = ScoreFromElo(elo0), score1 = ScoreFromElo(elo1);
    if (!(score0 > 0.0 && score1 < 1.0)) {
        return "elo0 and elo1 are too far from 0 for a score strictly between 0 and 1";
    }
    try {
        SprtBoundsFor(alpha, beta);
    } catch (const std::invalid_argument& error) {
        return error.what();
    }
    return {};
}

double PentanomialLlr(const Pentanomial& pairs, double elo0, double elo1) {
    const double score0 = ScoreFromElo(elo0), score1 = ScoreFromElo(elo1);
    if (pairs.Pairs() == 0 || !(score0 > 0.0 && score0 < 1.0 && score1 > 0.0 && score1 < 1.0)) {
        return 0.0;
    }
    std::array<double, 5> counts{};
    double total = 0.0;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        counts[i] = pairs.counts[i] > 0 ? static_cast<double>(pairs.counts[i]) : kEmptyCellPairs;
        total += counts[i];
    }
    std::array<double, 5> observed{};
    for (std::size_t i = 0; i < counts.size(); ++i) {
        observed[i] = counts[i] / total;
    }
    // p_h[i] = observed[i] / denominator_h[i], so log(p1 / p0) needs only the
    // denominators.
    const std::array<double, 5> under0 = MaximumLikelihoodDenominators(observed, score0);
    const std::array<double, 5> under1 = MaximumLikelihoodDenominators(observed, score1);
    double llr = 0.0;
    for (std::size_t i = 0; i < counts.size(); ++i) {
        llr += counts[i] * std::log(under0[i] / under1[i]);
    }
    return llr;
}

SprtDecision Decide(double llr, SprtBounds bounds) {
    if (llr >= bounds.upper) {
        return SprtDecision::AcceptH1;
    }
    if (llr <= bounds.lower) {
        return SprtDecision::AcceptH0;
    }
    return SprtDecision::Continue;
}

std::string FormatElo(double elo) {
    if (std::isinf(elo)) {
        return elo > 0.0 ? "+inf" : "-inf";
    }
    if (std::isnan(elo)) {
        return "n/a";
    }
    if (std::abs(elo) < 0.05) {
        return "0.0";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%+.1f", elo);
    return text;
}

std::string FormatInterval(const Interval& interval) {
    return FormatElo(interval.value) + " [" + FormatElo(interval.lower) + ", " +
           FormatElo(interval.upper) + "]";
}

} // namespace skerrow::series
