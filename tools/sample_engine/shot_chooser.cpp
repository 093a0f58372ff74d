#include "shot_chooser.h"

#include "match_numbers.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace sample_engine {

namespace {

using skerrow::kCountingRadius;
using skerrow::kHouseRadius;
using skerrow::kStoneRadius;
using skerrow::kStonesPerEnd;
using skerrow::kTeeX;
using skerrow::kTeeY;

// Where guards are drawn to, in metres: between the front of the house and
// the hog line.
constexpr float kGuardLineY = 8.3f;

constexpr int kLastStone = kStonesPerEnd - 1; // shot number of the last stone of an end

// Weights of CreateHitShot, named by what a full hit does to the struck
// stone: it takes over the shooter's speed and goes about as far as the
// shooter would have gone (7 stops on the tee line, 10 on the back line).
constexpr float kRaiseWeight = 7.0f;    // moves a stone in front of the house to the tee
constexpr float kTakeoutWeight = 12.0f; // removes a stone in the house, the shooter stays
constexpr float kPeelWeight = 16.0f;    // removes a guard and the shooter too

// The search: how many candidates survive the halving rounds, and how many
// samples are enough to settle between them. Legacy sampling plays one sample
// per candidate and round and halves the field after each.
//
// Seeded sampling shares the luck between candidates, so one unlucky error
// spoils all the candidates of a kind at once (every takeout misses); halving
// on it would drop them together. It therefore plays the first few samples
// one at a time to every candidate (so that on a short clock all of them are
// looked at) and halves only from kSamplesBeforeHalving on. After that each
// round doubles the samples, up to batches of kMostSamplesPerRound: as the
// field halves, a round costs about the same, and the batches grow large
// enough to share out over threads. With the luck shared, it also settles on
// more samples.
constexpr std::size_t kFinalists = 4;
constexpr int kEnoughLegacySamples = 32;
constexpr int kEnoughSeededSamples = 128;
constexpr int kSamplesBeforeHalving = 4;
constexpr int kMostSamplesPerRound = 16;

// Worth, in points of the end score, of a stone of one's own on the tee when
// stones are still to come; it falls to 0 at the edge of the counting circle.
constexpr double kStoneOnTheTee = 0.5;

bool HoldsStone(StonePosition stone) {
    return stone.x != 0.0f || stone.y != 0.0f;
}

double DistanceToTee(StonePosition stone) {
    return std::hypot(static_cast<double>(stone.x - kTeeX), static_cast<double>(stone.y - kTeeY));
}

// What the position after a shot is worth to the side that played it.
double Value(const GameState& before, const GameState& after) {
    const int mover = before.shotNumber % 2;
    // endScores counts for the even side when positive. After the last stone
    // the library has moved on to the next end, so read the end just played.
    const int count = (mover == 0 ? 1 : -1) * after.endScores[before.currentEnd];
    if (before.shotNumber == kLastStone) {
        return count;
    }
    // With stones still to come the count is only a forecast: a stone near
    // the tee is hard to beat and a stone on the edge is easy to remove, so
    // every stone in the counting circle adds to its side by its closeness.
    double value = count;
    for (int k = 0; k < after.shotNumber; ++k) {
        const double distance = DistanceToTee(after.stones[k]);
        if (!HoldsStone(after.stones[k]) || distance >= kCountingRadius) {
            continue;
        }
        const double closeness = kStoneOnTheTee * (1.0 - distance / kCountingRadius);
        value += k % 2 == mover ? closeness : -closeness;
    }
    return value;
}

} // namespace

ShotVec DrawToTheTee() {
    ShotVec shot{};
    CreateShot({kTeeX, kTeeY, 0}, &shot);
    return shot;
}

double ShotChooser::Candidate::Mean() const {
    return samples == 0 || dropped ? -std::numeric_limits<double>::infinity() : total / samples;
}

double ThinkStats::PerSecond() const {
    const double seconds = std::chrono::duration<double>(time).count();
    return seconds > 0.0 ? static_cast<double>(simulations) / seconds : 0.0;
}

ShotChooser::ShotChooser(float randomSize, Clock clock, Sampling sampling)
    : m_randomSize(randomSize), m_clock(std::move(clock)), m_sampling(sampling) {
    // Legacy sampling models the server's error itself: a normal spread of
    // the delivery velocity, of the size that would move a draw to the tee by
    // randomSize along each axis. The planner turns that offset into
    // velocities.
    ShotVec tee{};
    ShotVec offset{};
    CreateShot({kTeeX, kTeeY, 0}, &tee);
    CreateShot({kTeeX + m_randomSize, kTeeY + m_randomSize, 0}, &offset);
    m_sigmaVx = std::abs(offset.vx - tee.vx);
    m_sigmaVy = std::abs(offset.vy - tee.vy);
}

std::vector<ShotChooser::Candidate>
ShotChooser::Candidates(const GameState& state, const std::function<bool()>& outOfTime) const {
    std::vector<Candidate> field;
    const auto draw = [&field](float x, float y) {
        for (int curl : {0, 1}) {
            ShotVec shot{};
            if (CreateShot({x, y, curl}, &shot) != 0) {
                field.push_back({shot});
            }
        }
    };
    const auto hit = [&field, &outOfTime](StonePosition stone, float weight) {
        for (int curl : {0, 1}) {
            // Each plan costs a trial run of about a millisecond.
            ShotVec shot{};
            if (!outOfTime() && CreateHitShot({stone.x, stone.y, curl}, weight, &shot) != 0) {
                field.push_back({shot});
            }
        }
    };

    // The draw to the tee comes first: it is the answer when there is no time.
    draw(kTeeX, kTeeY);
    // Draws around the tee, to the top of the house, and guards.
    draw(kTeeX - 0.6f, kTeeY);
    draw(kTeeX + 0.6f, kTeeY);
    draw(kTeeX, kTeeY + 0.6f);
    draw(kTeeX, kTeeY - 0.6f);
    draw(kTeeX, kTeeY + kHouseRadius - 0.3f);
    draw(kTeeX, kGuardLineY);
    draw(kTeeX - 0.7f, kGuardLineY - 0.6f);
    draw(kTeeX + 0.7f, kGuardLineY - 0.6f);

    // The stones in play, the nearest to the tee first.
    const int mover = state.shotNumber % 2;
    std::vector<int> stones;
    for (int k = 0; k < std::min(state.shotNumber, kStonesPerEnd); ++k) {
        if (HoldsStone(state.stones[k])) {
            stones.push_back(k);
        }
    }
    std::sort(stones.begin(), stones.end(), [&state](int a, int b) {
        return DistanceToTee(state.stones[a]) < DistanceToTee(state.stones[b]);
    });

    // Against the other side's three nearest stones: a freeze (a draw that
    // stops touching the front of the stone), a takeout, and a peel when the
    // stone guards the house rather than lying in it.
    int targets = 0;
    for (int k : stones) {
        if (k % 2 == mover || targets == 3) {
            continue;
        }
        ++targets;
        const StonePosition stone = state.stones[k];
        if (DistanceToTee(stone) < kCountingRadius) {
            draw(stone.x, stone.y + 2.0f * kStoneRadius);
            hit(stone, kTakeoutWeight);
        } else {
            hit(stone, kPeelWeight);
        }
    }
    // Raises: one's own stones short of the tee pushed into the rings.
    for (int k : stones) {
        const StonePosition stone = state.stones[k];
        if (k % 2 == mover && stone.y > kTeeY + 0.5f && std::abs(stone.x - kTeeX) < 1.2f) {
            hit(stone, kRaiseWeight);
        }
    }
    return field;
}

ShotChooser::Sampler ShotChooser::LegacySampler(const GameState& state, std::mt19937& rng) const {
    // The engine draws its errors itself, from `rng`, and asks the library
    // for exact deliveries (random size 0). The i-th sample of every
    // candidate is played with the same error.
    return
        [this, &state, &rng, errors = std::vector<std::pair<float, float>>(),
         spread = std::normal_distribution<float>(0.0f, 1.0f)](Candidate& candidate, int) mutable {
            const auto sample = static_cast<std::size_t>(candidate.samples);
            if (sample == errors.size()) {
                errors.emplace_back(m_sigmaVx * spread(rng), m_sigmaVy * spread(rng));
            }
            const ShotVec shot{candidate.shot.vx + errors[sample].first,
                               candidate.shot.vy + errors[sample].second, candidate.shot.curl};
            GameState after = state;
            if (Simulation(&after, shot, 0.0f, nullptr, -1) == 0) {
                candidate.dropped = true;
                return 0;
            }
            candidate.total += Value(state, after);
            ++candidate.samples;
            return 1;
        };
}

ShotChooser::Sampler ShotChooser::SeededSampler(const GameState& state, std::mt19937& rng) const {
    // The n-th sample of every candidate is played with seed base + n, and
    // a batch of samples n to n + k - 1 is one library call with seed
    // base + n: the library gives entry i of a batch the seed plus i.
    const std::uint64_t high = rng();
    const std::uint64_t base = (high << 32) | rng();
    const std::vector<GameState> states(kMostSamplesPerRound, state);
    return [this, &state, base, states, shots = std::vector<ShotVec>(kMostSamplesPerRound),
            results = std::vector<GameState>(kMostSamplesPerRound)](Candidate& candidate,
                                                                    int count) mutable {
        std::fill(shots.begin(), shots.end(), candidate.shot);
        const std::uint64_t seed = base + static_cast<std::uint64_t>(candidate.samples);
        if (SimulationBatch(states.data(), shots.data(), count, m_randomSize, seed, results.data(),
                            nullptr, m_sampling.threads) != 0) {
            candidate.dropped = true;
            return count;
        }
        for (int k = 0; k < count; ++k) {
            candidate.total += Value(state, results[static_cast<std::size_t>(k)]);
        }
        candidate.samples += count;
        return count;
    };
}

ShotVec ShotChooser::Choose(const GameState& state, std::chrono::milliseconds budget,
                            std::mt19937& rng, ThinkStats* stats) const {
    const auto start = m_clock();
    const auto deadline = start + budget;
    const std::function<bool()> outOfTime = [this, deadline] { return m_clock() >= deadline; };

    std::vector<Candidate> field = Candidates(state, outOfTime);
    const Sampler sample =
        m_sampling.legacy ? LegacySampler(state, rng) : SeededSampler(state, rng);
    const int enough = m_sampling.legacy ? kEnoughLegacySamples : kEnoughSeededSamples;

    // Rounds: every candidate still in the running gets more samples, then
    // the better half goes on, down to a few finalists.
    std::int64_t simulations = 0;
    std::size_t alive = field.size();
    int perRound = 1;
    bool timeUp = false;
    while (!timeUp && alive > 0) {
        bool sampled = false;
        for (std::size_t i = 0; i < alive; ++i) {
            if (field[i].dropped) {
                continue;
            }
            if (outOfTime()) {
                timeUp = true;
                break;
            }
            simulations += sample(field[i], perRound);
            sampled = sampled || !field[i].dropped;
        }
        const auto end = field.begin() + static_cast<std::ptrdiff_t>(alive);
        std::stable_sort(field.begin(), end, [](const Candidate& a, const Candidate& b) {
            return a.Mean() > b.Mean();
        });
        if (!sampled || field.front().samples >= enough) {
            break;
        }
        // Every candidate still in the running has as many samples as the
        // leader now.
        const int samples = field.front().samples;
        if (m_sampling.legacy || samples >= kSamplesBeforeHalving) {
            alive = std::min(field.size(), std::max(kFinalists, alive / 2));
        }
        if (!m_sampling.legacy && samples >= kSamplesBeforeHalving) {
            perRound = std::min(kMostSamplesPerRound, samples); // the samples double
        }
    }
    if (stats != nullptr) {
        stats->simulations += simulations;
        stats->time += m_clock() - start;
    }
    if (field.empty() || field.front().Mean() == -std::numeric_limits<double>::infinity()) {
        return DrawToTheTee();
    }
    return field.front().shot;
}

} // namespace sample_engine
