#include "sim_options.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

namespace tarnwick_sim {

namespace {

constexpr int kMaxStones = 16;

// std::from_chars reads the C locale's format whatever the process locale is,
// and rejects leading spaces, so the whole text must be the number.
template <typename T> std::optional<T> ParseNumber(std::string_view text) {
    T value{};
    const char* const end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, value);
    if (text.empty() || status != std::errc{} || stop != end) {
        return std::nullopt;
    }
    if constexpr (std::is_floating_point_v<T>) {
        if (!std::isfinite(value)) {
            return std::nullopt;
        }
    }
    return value;
}

// Collects the first usage error; later checks are skipped once one is found.
class Reader {
public:
    bool Failed() const { return !m_error.empty(); }
    std::string TakeError() { return std::move(m_error); }

    void Fail(std::string message) {
        if (!Failed()) {
            m_error = std::move(message);
        }
    }

    // Reads the value called `name` of `option` into `out`.
    template <typename T>
    void Read(std::string_view option, std::string_view name, std::string_view text, T& out) {
        if (Failed()) {
            return;
        }
        if (const std::optional<T> value = ParseNumber<T>(text)) {
            out = *value;
            return;
        }
        const char* kind = std::is_floating_point_v<T> ? "a finite number"
                           : std::is_unsigned_v<T>     ? "a whole number from 0 to 2^64 - 1"
                                                       : "an integer";
        Fail(std::string(option) + ": " + std::string(name) + " '" + std::string(text) +
             "' is not " + kind);
    }

private:
    std::string m_error;
};

std::vector<std::string_view> SplitWords(std::string_view text) {
    std::vector<std::string_view> words;
    constexpr std::string_view kSpace = " \t\n";
    std::size_t start = text.find_first_not_of(kSpace);
    while (start != std::string_view::npos) {
        const std::size_t stop = text.find_first_of(kSpace, start);
        words.push_back(text.substr(start, stop - start));
        start = text.find_first_not_of(kSpace, stop);
    }
    return words;
}

void ReadPosition(Reader& reader, std::string_view text, GameState& state) {
    constexpr std::string_view kOption = "--position";
    const std::vector<std::string_view> words = SplitWords(text);
    if (words.size() < 4) {
        reader.Fail("--position needs at least SHOT END LASTEND TURN, got '" + std::string(text) +
                    "'");
        return;
    }
    reader.Read(kOption, "SHOT", words[0], state.shotNumber);
    reader.Read(kOption, "END", words[1], state.currentEnd);
    reader.Read(kOption, "LASTEND", words[2], state.lastEnd);
    reader.Read(kOption, "TURN", words[3], state.turnFlag);

    const std::size_t coordinates = words.size() - 4;
    if (coordinates % 2 != 0) {
        reader.Fail("--position: odd number of stone coordinates (" + std::to_string(coordinates) +
                    "); every stone needs x and y");
        return;
    }
    if (coordinates / 2 > kMaxStones) {
        reader.Fail("--position: " + std::to_string(coordinates / 2) + " stones given, at most " +
                    std::to_string(kMaxStones));
        return;
    }
    for (std::size_t k = 0; k < coordinates / 2; ++k) {
        const std::string stone = "stone " + std::to_string(k);
        reader.Read(kOption, stone + " x", words[4 + 2 * k], state.stones[k].x);
        reader.Read(kOption, stone + " y", words[5 + 2 * k], state.stones[k].y);
    }
}

constexpr std::string_view kShotNames[] = {"VX", "VY", "CURL"};
constexpr std::string_view kDrawNames[] = {"X", "Y", "CURL"};
constexpr std::string_view kHitNames[] = {"X", "Y", "CURL", "WEIGHT"};

Delivery ReadDelivery(Reader& reader, std::string_view option,
                      std::span<const std::string_view> values) {
    if (option == "--shot") {
        PlainShot plain{};
        reader.Read(option, "VX", values[0], plain.shot.vx);
        reader.Read(option, "VY", values[1], plain.shot.vy);
        reader.Read(option, "CURL", values[2], plain.shot.curl);
        return plain;
    }
    ShotPos target{};
    reader.Read(option, "X", values[0], target.x);
    reader.Read(option, "Y", values[1], target.y);
    reader.Read(option, "CURL", values[2], target.curl);
    if (option == "--draw") {
        return DrawTarget{target};
    }
    HitTarget hit{target, 0.0f};
    reader.Read(option, "WEIGHT", values[3], hit.weight);
    return hit;
}

std::span<const std::string_view> ValueNames(std::string_view option) {
    if (option == "--shot") {
        return kShotNames;
    }
    if (option == "--draw") {
        return kDrawNames;
    }
    if (option == "--hit") {
        return kHitNames;
    }
    return {};
}

std::string Join(std::span<const std::string_view> names) {
    std::string joined;
    for (std::string_view name : names) {
        joined += (joined.empty() ? "" : " ") + std::string(name);
    }
    return joined;
}

} // namespace

ParseOutcome ParseSimOptions(std::span<const std::string_view> args) {
    SimOptions options;
    options.position.lastEnd = 10;
    for (std::string_view arg : args) {
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return {options, {}};
        }
    }

    Reader reader;
    bool haveDelivery = false;
    bool havePosition = false;
    bool haveRandom = false;
    bool haveSeed = false;
    // Marks an option as seen; a second occurrence is an error, since the
    // caller most likely meant something else than the last one silently winning.
    auto once = [&reader](bool& seen, std::string_view option) {
        if (seen) {
            reader.Fail(std::string(option) + " given twice");
        }
        seen = true;
    };
    // The `count` arguments following index i, or an empty span when they are
    // missing; i moves past them.
    auto takeValues = [&](std::size_t& i, std::string_view option, std::size_t count,
                          std::string_view names) -> std::span<const std::string_view> {
        if (args.size() - i - 1 < count) {
            reader.Fail(std::string(option) + " needs " + std::to_string(count) +
                        (count == 1 ? " value: " : " values: ") + std::string(names));
            return {};
        }
        const auto values = args.subspan(i + 1, count);
        i += count;
        return values;
    };

    for (std::size_t i = 0; i < args.size() && !reader.Failed(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--trace") {
            options.trace = true;
        } else if (arg == "--random") {
            once(haveRandom, arg);
            const auto values = takeValues(i, arg, 1, "R");
            if (!values.empty()) {
                reader.Read(arg, "R", values[0], options.randomSize);
            }
        } else if (arg == "--seed") {
            once(haveSeed, arg);
            const auto values = takeValues(i, arg, 1, "N");
            if (!values.empty()) {
                std::uint64_t seed = 0;
                reader.Read(arg, "N", values[0], seed);
                options.seed = seed;
            }
        } else if (arg == "--position") {
            once(havePosition, arg);
            const auto values = takeValues(i, arg, 1, "\"SHOT END LASTEND TURN [X0 Y0 ...]\"");
            if (!values.empty()) {
                ReadPosition(reader, values[0], options.position);
            }
        } else if (const auto names = ValueNames(arg); !names.empty()) {
            if (haveDelivery) {
                reader.Fail(std::string(arg) +
                            ": only one delivery (--shot, --draw or --hit) may be given");
                break;
            }
            haveDelivery = true;
            const auto values = takeValues(i, arg, names.size(), Join(names));
            if (!values.empty()) {
                options.delivery = ReadDelivery(reader, arg, values);
            }
        } else if (arg.starts_with("-")) {
            reader.Fail("unknown option '" + std::string(arg) + "'");
        } else {
            reader.Fail("unexpected argument '" + std::string(arg) + "'");
        }
    }
    if (!reader.Failed() && !haveDelivery) {
        reader.Fail("no delivery given: use --shot, --draw or --hit");
    }
    if (reader.Failed()) {
        return {std::nullopt, reader.TakeError()};
    }
    return {options, {}};
}

std::string_view UsageText() {
    return R"(Usage: tarnwick-sim [--position "SHOT END LASTEND TURN [X0 Y0 X1 Y1 ...]"]
                    [--random R] [--seed N] [--trace]
                    (--shot VX VY CURL | --draw X Y CURL | --hit X Y CURL WEIGHT)

Plays one delivery on a position with the Tarnwick library and prints the
delivery played, the position before and after the shot and the score of the
end the shot was played in.

Delivery, exactly one of:
  --shot VX VY CURL      velocity at the delivery point (2.375, 41.28) in m/s;
                         a negative VY sends the stone towards the house
  --draw X Y CURL        a delivery planned to come to rest on (X, Y)
  --hit X Y CURL WEIGHT  a delivery planned to pass through (X, Y) at WEIGHT:
                         0 would stop at the hog line, 4 at the front of the
                         house, 7 on the tee line, 10 on the back line; a
                         takeout of a stone on the tee wants about 12
  CURL 0 bends the path towards +x as the stone travels, 1 towards -x.

Options:
  --position "SHOT END LASTEND TURN [X0 Y0 ...]"
                 the position before the shot, as one argument: stones
                 already delivered in the end (0 to 15), the end (0 to 9),
                 the number of ends, the side to deliver (0 red, 1 yellow),
                 then up to 16 stone positions in metres by stone index
                 ("0 0" leaves an index empty). Default "0 0 10 0", the
                 empty sheet.
  --random R     delivery error, as an offset at the tee in metres (default
                 0: the delivery is played exactly)
  --seed N       draw the delivery error from seed N (0 to 2^64 - 1), so that
                 the same command plays the same shot again; without it the
                 error changes every second
  --trace        first print every frame of the shot as CSV lines
                 "step,stone,x,y" (one line per stone in play, 60 steps a
                 second), then a blank line and the report
  --help         show this text

The sheet: x runs across it (side lines 0 and 4.75, centre line 2.375), y
along it from the scoring end (back line 3.05, tee 4.88, hog line 11.28).
Even-indexed stones belong to the side that delivers first in the end; a
positive end score counts stones of that side, a negative one the other's.

Exit status: 0 when the shot was played, 1 when the library refused the
position or could not plan the delivery, 2 for a usage error.
)";
}

} // namespace tarnwick_sim
