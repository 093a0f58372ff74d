#pragma once

#include <tarnwick/tarnwick.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace tarnwick_sim {

// A delivery given as velocities at the delivery point, in m/s.
struct PlainShot {
    ShotVec shot;
};

// A draw planned with CreateShot to come to rest on the target, in metres.
struct DrawTarget {
    ShotPos target;
};

// A delivery planned with CreateHitShot to pass through the target (metres)
// at the given weight (0 the hog line, 7 the tee line, 10 the back line).
struct HitTarget {
    ShotPos target;
    float weight;
};

using Delivery = std::variant<PlainShot, DrawTarget, HitTarget>;

// What one run of tarnwick-sim plays.
struct SimOptions {
    // The position before the shot; the empty sheet at shot 0, end 0, 10 ends,
    // red to deliver unless --position says otherwise.
    GameState position{};
    Delivery delivery;
    // Delivery error as an offset at the tee, in metres.
    float randomSize = 0.0f;
    // Seed of the delivery error; without it the library seeds from the clock.
    std::optional<std::uint64_t> seed;
    // Print every frame of the shot as CSV.
    bool trace = false;
    // Print the usage text and play nothing.
    bool help = false;
};

// Either the options or the reason they were refused, naming the bad argument.
struct ParseOutcome {
    std::optional<SimOptions> options;
    std::string error;
};

// Reads the command-line arguments that follow the program name. Numbers are
// read strictly and independently of the locale: the whole argument must be
// one finite number with '.' as the decimal mark.
ParseOutcome ParseSimOptions(std::span<const std::string_view> args);

// The text printed by --help.
std::string_view UsageText();

} // namespace tarnwick_sim
