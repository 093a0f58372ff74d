// tarnwick_shot_table: plays a fixed table of shots and plans through the
// library's public entry points and writes every record that comes back as
// hexadecimal bytes, one line per entry. Two builds of the library that compute
// the same bits write the same file, so the Linux and the Windows build are
// compared by running this program on each (compare_shot_tables.cmake).
//
//   tarnwick_shot_table FILE

#include "test_support.h"

#include <tarnwick/tarnwick.h>

#include <cstdint>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

using namespace tarnwick::test;

namespace {

// Pseudo-random numbers for the generated part of the table, in integer
// arithmetic only, so that every platform draws the same.
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }

    // A value on a grid of 4096 points in [low, high): the float operations
    // are exact or correctly rounded, the same everywhere.
    float Between(float low, float high) {
        return low + (high - low) * (static_cast<float>(Next() >> 52) / 4096.0f);
    }

    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

private:
    std::uint64_t m_state;
};

constexpr float kTeeX = 2.375f;
constexpr float kTeeY = 4.88f;

struct ShotEntry {
    std::string name;
    GameState position;
    ShotVec shot;
    float randomSize;
    int steps;                         // -1 until every stone rests
    std::optional<std::uint64_t> seed; // played with SimulationSeeded when set
};

ShotVec Draw(float x, float y, int curl) {
    ShotVec shot{};
    CreateShot({x, y, curl}, &shot);
    return shot;
}

ShotVec Hit(float x, float y, int curl, float weight) {
    ShotVec shot{};
    CreateHitShot({x, y, curl}, weight, &shot);
    return shot;
}

// Shots chosen for what they exercise: both curls, a guard, collisions in a
// full house, a stone leaving play, stones stored outside the playing area,
// the last stone of an end, and the step limit.
std::vector<ShotEntry> ChosenShots() {
    const GameState empty = EmptyPosition();
    std::vector<ShotEntry> shots = {
        {"draw-tee-curl0", empty, Draw(kTeeX, kTeeY, 0), 0.0f, -1, {}},
        {"draw-tee-curl1", empty, Draw(kTeeX, kTeeY, 1), 0.0f, -1, {}},
        {"guard", empty, Draw(2.2f, 8.5f, 0), 0.0f, -1, {}},
        {"through-the-back", empty, {0.0f, -6.0f, 0}, 0.0f, -1, {}},
        {"off-the-side", empty, {0.4f, -3.0f, 1}, 0.0f, -1, {}},
        {"takeout-full-house", CrowdedHouse(), Hit(kTeeX, kTeeY, 0, 12.0f), 0.0f, -1, {}},
        {"soft-raise-full-house", CrowdedHouse(), Hit(kTeeX, kTeeY, 1, 5.0f), 0.0f, -1, {}},
        {"draw-step-1", empty, Draw(kTeeX, kTeeY, 0), 0.0f, 1, {}},
        {"draw-step-700", empty, Draw(kTeeX, kTeeY, 0), 0.0f, 700, {}},
        {"takeout-step-1450", CrowdedHouse(), Hit(kTeeX, kTeeY, 0, 12.0f), 0.0f, 1450, {}},
    };

    GameState outside = empty;
    outside.shotNumber = 3;
    outside.stones[0] = {0.1f, 5.0f};   // over the side line
    outside.stones[1] = {kTeeX, 11.2f}; // short of the hog line
    outside.stones[2] = {kTeeX, 11.1f}; // in play
    outside.stones[5] = {kTeeX, kTeeY}; // above the shot number: no stone
    shots.push_back({"stored-outside-play", outside, Draw(kTeeX, 11.0f, 1), 0.0f, -1, {}});

    GameState lastStone = CrowdedHouse();
    lastStone.currentEnd = 9;
    shots.push_back({"last-stone-of-last-end", lastStone, Draw(2.0f, 4.5f, 1), 0.0f, -1, {}});

    for (const std::uint64_t seed : {1u, 2u}) {
        shots.push_back(
            {"seeded-draw-" + std::to_string(seed), empty, Draw(kTeeX, kTeeY, 0), 0.1f, -1, seed});
    }
    shots.push_back({"seeded-takeout-high-bits", CrowdedHouse(), Hit(kTeeX, kTeeY, 1, 12.0f), 0.3f,
                     -1, 0xFFFFFFFF00000007u});
    return shots;
}

// A spot in and around the house where a stone overlaps none of the first
// `placed` stones (overlapping stones are no position a game can reach).
StonePosition FreeSpot(SplitMix64& random, const StonePosition* stones, int placed) {
    constexpr float kMinimumGap = 0.3f; // m between centres, a little over a stone's width
    for (;;) {
        const StonePosition spot{random.Between(0.3f, 4.45f), random.Between(3.2f, 11.0f)};
        bool free = true;
        for (int k = 0; k < placed && free; ++k) {
            const float dx = spot.x - stones[k].x;
            const float dy = spot.y - stones[k].y;
            free = dx * dx + dy * dy >= kMinimumGap * kMinimumGap;
        }
        if (free) {
            return spot;
        }
    }
}

// Random positions of 0 to 15 stones in and around the house, with draws and
// hits at any weight; every fourth with a seeded delivery error, every
// sixteenth cut off by a step limit.
std::vector<ShotEntry> GeneratedShots(int count) {
    SplitMix64 random(20240611);
    std::vector<ShotEntry> shots;
    for (int i = 0; i < count; ++i) {
        ShotEntry entry{"generated-" + std::to_string(i), EmptyPosition(), {}, 0.0f, -1, {}};
        GameState& position = entry.position;
        position.currentEnd = random.Below(10);
        position.shotNumber = random.Below(16);
        position.turnFlag = position.shotNumber % 2;
        for (int k = 0; k < position.shotNumber; ++k) {
            position.stones[k] = FreeSpot(random, position.stones, k);
        }
        const int curl = random.Below(2);
        if (position.shotNumber > 0 && random.Below(2) == 0) {
            const StonePosition target = position.stones[random.Below(position.shotNumber)];
            entry.shot = Hit(target.x, target.y, curl, random.Between(0.0f, 16.0f));
        } else {
            entry.shot = Draw(random.Between(0.5f, 4.25f), random.Between(3.5f, 10.5f), curl);
        }
        if (i % 4 == 3) {
            entry.randomSize = random.Between(0.0f, 0.5f);
            entry.seed = random.Next();
        }
        if (i % 16 == 15) {
            entry.steps = 200 + random.Below(600);
        }
        shots.push_back(entry);
    }
    return shots;
}

std::string Hex(const void* data, std::size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

// FNV-1a over the bytes of every traced frame.
struct FrameDigest {
    std::uint64_t hash = 0xCBF29CE484222325u;
    int frames = 0;
};

int TARNWICK_CALL DigestFrame(void* user, int step, const GameState* frame) {
    auto* digest = static_cast<FrameDigest*>(user);
    const auto* bytes = reinterpret_cast<const unsigned char*>(frame);
    for (std::size_t i = 0; i < sizeof *frame; ++i) {
        digest->hash = (digest->hash ^ bytes[i]) * 0x100000001B3u;
    }
    digest->frames = step + 1;
    return 1;
}

class TableWriter {
public:
    explicit TableWriter(std::ostream& out) : m_out(out) {}

    void Shot(const ShotEntry& entry) {
        GameState state = entry.position;
        ShotVec played{};
        int result = 0;
        if (entry.seed) {
            result = SimulationSeeded(&state, entry.shot, entry.randomSize, &played, entry.steps,
                                      *entry.seed);
        } else {
            result = Simulation(&state, entry.shot, entry.randomSize, &played, entry.steps);
        }
        Line(entry.name + " " + std::to_string(result) + " shot " +
             Hex(&entry.shot, sizeof entry.shot) + " played " + Hex(&played, sizeof played) +
             " state " + Hex(&state, sizeof state));
    }

    void Trace(const ShotEntry& entry) {
        GameState state = entry.position;
        FrameDigest digest;
        const int result = SimulationTrace(&state, entry.shot, 0.0f, nullptr, DigestFrame, &digest);
        Line("trace-" + entry.name + " " + std::to_string(result) + " frames " +
             std::to_string(digest.frames) + " digest " + Hex(&digest.hash, sizeof digest.hash) +
             " state " + Hex(&state, sizeof state));
    }

    void Plan(const std::string& name, int result, const ShotVec& shot) {
        Line(name + " " + std::to_string(result) + " shot " + Hex(&shot, sizeof shot));
    }

    // Every entry through one batch call on two threads: the results must not
    // depend on the platform's threads either.
    void Batch(const std::vector<ShotEntry>& entries) {
        const auto [states, shots] = BatchArguments(entries);
        const int count = static_cast<int>(entries.size());
        std::vector<GameState> results(entries.size());
        std::vector<ShotVec> played(entries.size());
        const int refused = SimulationBatch(states.data(), shots.data(), count, 0.2f, 99u,
                                            results.data(), played.data(), 2);
        Line("batch refused " + std::to_string(refused));
        for (int i = 0; i < count; ++i) {
            Line("batch-" + entries[i].name + " played " + Hex(&played[i], sizeof played[i]) +
                 " state " + Hex(&results[i], sizeof results[i]));
        }
    }

    // Entries played in place, with no record of the deliveries played, on
    // one thread per core (as many as the platform reports), with seeds that
    // pass 2^64 and wrap round to 0.
    void BatchInPlace(const std::vector<ShotEntry>& entries) {
        auto [states, shots] = BatchArguments(entries);
        const int refused =
            SimulationBatch(states.data(), shots.data(), static_cast<int>(entries.size()), 0.3f,
                            0xFFFFFFFFFFFFFFFDu, states.data(), nullptr, 0);
        Line("batch-in-place refused " + std::to_string(refused));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            Line("batch-in-place-" + entries[i].name + " state " +
                 Hex(&states[i], sizeof states[i]));
        }
    }

private:
    // The positions and deliveries of `entries`, as SimulationBatch takes them.
    static std::pair<std::vector<GameState>, std::vector<ShotVec>>
    BatchArguments(const std::vector<ShotEntry>& entries) {
        std::pair<std::vector<GameState>, std::vector<ShotVec>> arguments;
        for (const ShotEntry& entry : entries) {
            arguments.first.push_back(entry.position);
            arguments.second.push_back(entry.shot);
        }
        return arguments;
    }

    void Line(const std::string& text) { m_out << text << '\n'; }

    std::ostream& m_out;
};

void WritePlans(TableWriter& writer) {
    // Draw targets over the whole house and beyond, with curl values the
    // library reads as 0 or 1.
    const float xs[] = {0.5f, 1.4f, kTeeX, 3.1f, 4.2f};
    const float ys[] = {3.2f, kTeeY, 6.71f, 9.0f, 11.0f};
    const int curls[] = {-1, 0, 1, 7};
    for (const float x : xs) {
        for (const float y : ys) {
            for (const int curl : curls) {
                ShotVec shot{};
                const int result = CreateShot({x, y, curl}, &shot);
                writer.Plan("create-shot " + Hex(&x, 4) + " " + Hex(&y, 4) + " " +
                                std::to_string(curl),
                            result, shot);
            }
        }
    }
    // Hits at every weight of the scale and past it, including those that stop
    // short of the target.
    const float weights[] = {-1.0f, 0.0f, 1.0f,  2.5f,  3.0f,  4.0f,
                             5.5f,  7.0f, 10.0f, 13.0f, 16.0f, 20.0f};
    for (const float x : {1.6f, kTeeX, 3.2f}) {
        for (const int curl : {0, 1}) {
            for (const float weight : weights) {
                ShotVec shot{};
                const int result = CreateHitShot({x, 5.2f, curl}, weight, &shot);
                writer.Plan("create-hit-shot " + Hex(&x, 4) + " " + std::to_string(curl) + " " +
                                Hex(&weight, 4),
                            result, shot);
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tarnwick_shot_table FILE\n";
        return 2;
    }
    // Binary mode: the same bytes on every platform, no CR before each LF.
    std::ofstream file(argv[1], std::ios::binary);
    if (!file) {
        std::cerr << "tarnwick_shot_table: cannot write " << argv[1] << '\n';
        return 1;
    }
    TableWriter writer(file);
    WritePlans(writer);
    const std::vector<ShotEntry> chosen = ChosenShots();
    for (const ShotEntry& entry : chosen) {
        writer.Shot(entry);
    }
    for (const ShotEntry& entry : chosen) {
        if (!entry.seed && entry.steps == -1) {
            writer.Trace(entry);
        }
    }
    const std::vector<ShotEntry> generated = GeneratedShots(320);
    for (const ShotEntry& entry : generated) {
        writer.Shot(entry);
    }
    writer.Batch(generated);
    writer.BatchInPlace(chosen);
    file.close();
    if (!file) {
        std::cerr << "tarnwick_shot_table: could not write all of " << argv[1] << '\n';
        return 1;
    }
    return 0;
}
