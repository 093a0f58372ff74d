// tarnwick-sim: plays one delivery on a position with the Tarnwick library and
// prints what came of it, so that engine writers can try shots from a shell.

#include "sim_options.h"

#include <tarnwick/tarnwick.h>

#include <charconv>
#include <iomanip>
#include <iostream>
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
            std::cerr << kProgram << ": cannot plan a draw to " << Point(t.x, t.y) << '\n';
            return std::nullopt;
        }
        out << "delivery: draw to " << Point(t.x, t.y) << " curl " << t.curl << ", planned as "
            << Velocity(shot) << '\n';
        return shot;
    }
    const auto& hit = std::get<HitTarget>(delivery);
    const ShotPos t = hit.target;
    if (CreateHitShot(t, hit.weight, &shot) == 0) {
        std::cerr << kProgram << ": cannot plan a hit through " << Point(t.x, t.y) << " at weight "
                  << Fixed(hit.weight, 2)
                  << ": the delivery would not reach the target (more weight needed)\n";
        return std::nullopt;
    }
    out << "delivery: hit through " << Point(t.x, t.y) << " at weight " << Fixed(hit.weight, 2)
        << " curl " << t.curl << ", planned as " << Velocity(shot) << '\n';
    return shot;
}

// Why Simulation turned a position down; the checks mirror its documented ones.
std::string RefusalReason(const GameState& state) {
    if (state.shotNumber < 0 || state.shotNumber > 15) {
        return "shot number " + std::to_string(state.shotNumber) + " is outside 0 to 15" +
               (state.shotNumber == 16 ? " (the end is complete)" : "");
    }
    if (state.currentEnd < 0 || state.currentEnd > 9) {
        return "end " + std::to_string(state.currentEnd) + " is outside 0 to 9";
    }
    return "the delivery or the random size is not a finite number";
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
    int accepted = 0;
    if (options.trace) {
        accepted = SimulationTrace(&after, *shot, options.randomSize, &played, PrintFrame, nullptr);
        std::cout << (accepted != 0 ? "\n" : "");
    } else {
        accepted = Simulation(&after, *shot, options.randomSize, &played, -1);
    }
    if (accepted == 0) {
        std::cerr << kProgram
                  << ": the library refused the shot: " << RefusalReason(options.position) << '\n';
        return kRefused;
    }

    report << "played:   " << Velocity(played);
    if (options.randomSize != 0.0f) {
        report << " (random size " << Fixed(options.randomSize, 4) << ")";
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
