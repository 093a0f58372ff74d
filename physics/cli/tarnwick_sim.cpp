// tarnwick-sim: plays one delivery on a position with the Tarnwick library and
// prints what came of it, so that engine writers can try shots from a shell.

#include "sim_options.h"

#include <tarnwick/tarnwick.h>

#include <charconv>
#include <cmath>
#include <iomanip>
#include <iostream>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

using namespace tarnwick_sim;

namespace {

constexpr const char* kProgram = "tarnwick-sim";

enum ExitStatus : int { kPlayed = 0, kRefused = 1, kUsageError = 2 };

// Fixed-point text with '.' as the decimal mark, whatever the locale.
std::string Fixed(float value, int decimals) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

// The shortest text that reads back as `value`, for numbers of any size.
std::string Shortest(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string Point(float x, float y) {
    return "(" + Fixed(x, 4) + ", " + Fixed(y, 4) + ")";
}

std::string Velocity(const ShotVec& shot) {
    return "vx " + Fixed(shot.vx, 6) + " vy " + Fixed(shot.vy, 6) + " curl " +
           std::to_string(shot.curl);
}

// (0, 0) marks an index that holds no stone.
bool HoldsStone(StonePosition stone) {
    return stone.x != 0.0f || stone.y != 0.0f;
}

void PrintPosition(std::ostream& out, const char* title, const GameState& state) {
    out << title << ": shot " << state.shotNumber << ", end " << state.currentEnd << ", last end "
        << state.lastEnd << ", turn " << state.turnFlag
        << (state.turnFlag == 0 ? " (red)" : " (yellow)") << '\n';
    bool any = false;
    for (int k = 0; k < 16; ++k) {
        const StonePosition stone = state.stones[k];
        if (HoldsStone(stone)) {
            out << "  stone " << std::setw(2) << k << "  x " << Fixed(stone.x, 4) << "  y "
                << Fixed(stone.y, 4) << '\n';
            any = true;
        }
    }
    if (!any) {
        out << "  no stones\n";
    }
    out << "  end scores:";
    for (int score : state.endScores) {
        out << ' ' << score;
    }
    out << '\n';
}

std::string DescribeScore(int score) {
    if (score == 0) {
        return "0, nobody counts";
    }
    const int stones = score > 0 ? score : -score;
    const std::string counted = std::to_string(stones) + (stones == 1 ? " stone" : " stones");
    return score > 0 ? "+" + std::to_string(score) + ", the even-indexed side counts " + counted
                     : std::to_string(score) + ", the odd-indexed side counts " + counted;
}

constexpr float kDeliveryY = 41.28f;

bool InTargetArea(const ShotPos& t) {
    return t.x >= TARNWICK_TARGET_MIN_X && t.x <= TARNWICK_TARGET_MAX_X &&
           t.y >= TARNWICK_TARGET_MIN_Y && t.y <= TARNWICK_TARGET_MAX_Y;
}

// Why the library planned no delivery to the target; the checks mirror its
// documented ones.
std::string TargetRefusal(const ShotPos& t) {
    if (!InTargetArea(t)) {
        return Point(t.x, t.y) + " lies outside the area a target may have (x " +
               Fixed(TARNWICK_TARGET_MIN_X, 2) + " to " + Fixed(TARNWICK_TARGET_MAX_X, 2) + ", y " +
               Fixed(TARNWICK_TARGET_MIN_Y, 2) + " to " + Fixed(TARNWICK_TARGET_MAX_Y, 2) + ")";
    }
    return "the delivery would be faster than " + Fixed(TARNWICK_MAX_SHOT_SPEED, 0) + " m/s";
}

// Turns the requested delivery into velocities, printing what was planned.
// Reports on stderr and returns nothing when the library cannot plan it.
std::optional<ShotVec> PlanDelivery(std::ostream& out, const Delivery& delivery) {
    ShotVec shot{};
    if (const auto* plain = std::get_if<PlainShot>(&delivery)) {
        out << "delivery: " << Velocity(plain->shot) << '\n';
        return plain->shot;
    }
    if (const auto* draw = std::get_if<DrawTarget>(&delivery)) {
        const ShotPos t = draw->target;
        if (CreateShot(t, &shot) == 0) {
            std::cerr << kProgram << ": cannot plan a draw to " << Point(t.x, t.y) << ": "
                      << TargetRefusal(t) << '\n';
            return std::nullopt;
        }
        out << "delivery: draw to " << Point(t.x, t.y) << " curl " << t.curl << ", planned as "
            << Velocity(shot) << '\n';
        return shot;
    }
    const auto& hit = std::get<HitTarget>(delivery);
    const ShotPos t = hit.target;
    // CreateHitShot writes its first delivery when the trial stone falls
    // short, and nothing when it refuses the target.
    constexpr float kUnwritten = std::numeric_limits<float>::quiet_NaN();
    shot = ShotVec{kUnwritten, kUnwritten, 0};
    if (CreateHitShot(t, hit.weight, &shot) == 0) {
        std::cerr << kProgram << ": cannot plan a hit through " << Point(t.x, t.y) << " at weight "
                  << Fixed(hit.weight, 2) << ": ";
        if (!std::isnan(shot.vx)) {
            std::cerr << "the delivery would not reach the target (more weight needed)\n";
        } else if (InTargetArea(t) && t.y == kDeliveryY) {
            std::cerr << "the target is level with the delivery point (y " << Fixed(kDeliveryY, 2)
                      << "), which no weight can send a stone through; aim nearer the house\n";
        } else {
            std::cerr << TargetRefusal(t) << '\n';
        }
        return std::nullopt;
    }
    out << "delivery: hit through " << Point(t.x, t.y) << " at weight " << Fixed(hit.weight, 2)
        << " curl " << t.curl << ", planned as " << Velocity(shot) << '\n';
    return shot;
}

bool InStoredPlayingArea(StonePosition p) {
    return p.x > 0.145f && p.x < 4.605f && p.y > 2.905f && p.y < 11.135f;
}

// Why Simulation turned a position down; the checks mirror its documented ones.
std::string RefusalReason(const SimOptions& options, ShotVec shot) {
    const GameState& state = options.position;
    if (state.shotNumber < 0 || state.shotNumber > 15) {
        return "shot number " + std::to_string(state.shotNumber) + " is outside 0 to 15" +
               (state.shotNumber == 16 ? " (the end is complete)" : "");
    }
    if (state.currentEnd < 0 || state.currentEnd > 9) {
        return "end " + std::to_string(state.currentEnd) + " is outside 0 to 9";
    }
    for (int j = 1; j < state.shotNumber; ++j) {
        for (int k = 0; k < j; ++k) {
            const StonePosition a = state.stones[k];
            const StonePosition b = state.stones[j];
            if (InStoredPlayingArea(a) && InStoredPlayingArea(b) &&
                std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y) <
                    TARNWICK_MIN_STONE_DISTANCE) {
                return "stones " + std::to_string(k) + " and " + std::to_string(j) +
                       " lie closer than " + Fixed(TARNWICK_MIN_STONE_DISTANCE, 3) +
                       " m, centre to centre";
            }
        }
    }
    if (std::hypot(static_cast<double>(shot.vx), shot.vy) > TARNWICK_MAX_SHOT_SPEED) {
        return "the delivery is faster than " + Fixed(TARNWICK_MAX_SHOT_SPEED, 0) + " m/s";
    }
    return "random size " + Shortest(options.randomSize) +
           " makes the delivery played faster than " + Fixed(TARNWICK_MAX_SHOT_SPEED, 0) +
           " m/s or not a finite number";
}

// Prints one frame of a traced shot as CSV lines, the first one after the
// header; never stops the trace.
int TARNWICK_CALL PrintFrame(void*, int step, const GameState* frame) {
    if (step == 0) {
        std::cout << "step,stone,x,y\n";
    }
    for (int k = 0; k < 16; ++k) {
        const StonePosition stone = frame->stones[k];
        if (HoldsStone(stone)) {
            std::cout << step << ',' << k << ',' << Fixed(stone.x, 4) << ',' << Fixed(stone.y, 4)
                      << '\n';
        }
    }
    return 1;
}

// Plays the delivery once, with every frame printed when tracing. With a
// seed, the error is drawn first and the delivery played is then traced
// without error, which plays the same shot.
int PlayOnce(const SimOptions& options, ShotVec shot, GameState& after, ShotVec& played) {
    if (!options.seed) {
        return options.trace
                   ? SimulationTrace(&after, shot, options.randomSize, &played, PrintFrame, nullptr)
                   : Simulation(&after, shot, options.randomSize, &played, -1);
    }
    if (!options.trace) {
        return SimulationSeeded(&after, shot, options.randomSize, &played, -1, *options.seed);
    }
    GameState start = after;
    if (SimulationSeeded(&start, shot, options.randomSize, &played, 0, *options.seed) == 0) {
        return 0;
    }
    return SimulationTrace(&after, played, 0.0f, nullptr, PrintFrame, nullptr);
}

// Plays the delivery and prints the report; with tracing, the frames come
// first so that they can be cut off as one CSV block.
int Play(const SimOptions& options) {
    std::ostringstream report;
    PrintPosition(report, "before", options.position);
    const std::optional<ShotVec> shot = PlanDelivery(report, options.delivery);
    if (!shot) {
        return kRefused;
    }
    GameState after = options.position;
    ShotVec played{};
    const int accepted = PlayOnce(options, *shot, after, played);
    if (options.trace && accepted != 0) {
        std::cout << "\n";
    }
    if (accepted == 0) {
        std::cerr << kProgram << ": the library refused the shot: " << RefusalReason(options, *shot)
                  << '\n';
        return kRefused;
    }

    report << "played:   " << Velocity(played);
    if (options.randomSize != 0.0f) {
        report << " (random size " << Fixed(options.randomSize, 4);
        if (options.seed) {
            report << ", seed " << *options.seed;
        }
        report << ")";
    }
    report << '\n';
    PrintPosition(report, "after", after);
    const int end = options.position.currentEnd;
    const bool endComplete = after.shotNumber == 0;
    report << (endComplete ? "result of end " : "score of end ") << end << ": "
           << DescribeScore(after.endScores[end]) << '\n';
    std::cout << report.str();
    return kPlayed;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const ParseOutcome outcome = ParseSimOptions(args);
    if (!outcome.options) {
        std::cerr << kProgram << ": " << outcome.error << "\nTry '" << kProgram
                  << " --help' for the usage.\n";
        return kUsageError;
    }
    if (outcome.options->help) {
        std::cout << UsageText();
        return kPlayed;
    }
    return Play(*outcome.options);
}
