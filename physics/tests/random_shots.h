#pragma once

// A reproducible stream of match-like shots for tests that compare results:
// positions of 0 to 15 stones, and draws, guards and hits at every weight with
// either curl, some with a delivery error. Built from the library's own
// Mersenne Twister and CreateShot only, so that the same index gives the same
// shot on every platform.

#include "mt19937.h"

#include <tarnwick/tarnwick.h>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace tarnwick::test {

struct RandomShot {
    GameState position;
    ShotVec shot;
};

class RandomShots {
public:
    // The shot with the given index; the same index always gives the same shot.
    static RandomShot Make(std::uint32_t index) {
        RandomShots maker(index);
        return maker.Build();
    }

private:
    explicit RandomShots(std::uint32_t index) {
        const std::uint32_t key[] = {index, 0x5eed5u};
        m_generator.InitByArray(key);
    }

    float Uniform(float low, float high) {
        return low + static_cast<float>(m_generator.Uniform()) * (high - low);
    }
    int Below(int n) {
        return static_cast<int>(m_generator.GenrandInt32() % static_cast<std::uint32_t>(n));
    }

    // A point in the house (two thirds) or the guard zone, away from the
    // stones already placed; (0, 0) when none was found.
    StonePosition FreePoint(const GameState& state, int placed) {
        for (int attempt = 0; attempt < 20; ++attempt) {
            const bool house = Below(3) != 0;
            const StonePosition p{Uniform(0.3f, 4.45f),
                                  house ? Uniform(3.0f, 6.8f) : Uniform(6.8f, 11.0f)};
            bool clear = true;
            for (int k = 0; k < placed && clear; ++k) {
                const StonePosition q = state.stones[k];
                clear = std::hypot(p.x - q.x, p.y - q.y) > 0.3f;
            }
            if (clear) {
                return p;
            }
        }
        return {0.0f, 0.0f};
    }

    RandomShot Build() {
        RandomShot result{};
        GameState& state = result.position;
        state.lastEnd = 10;
        state.shotNumber = Below(16);
        state.currentEnd = Below(10);
        state.turnFlag = state.shotNumber % 2;
        for (int k = 0; k < state.shotNumber; ++k) {
            state.stones[k] = Below(8) == 0 ? StonePosition{0.0f, 0.0f} : FreePoint(state, k);
        }

        const int curl = Below(2);
        ShotPos target{};
        switch (Below(4)) {
        case 0: // draw into the house
            target = {Uniform(0.8f, 3.95f), Uniform(3.2f, 6.5f), curl};
            break;
        case 1: // guard
            target = {Uniform(0.8f, 3.95f), Uniform(7.0f, 10.8f), curl};
            break;
        default: { // hit a stone (or a point) at a weight from 0 to 16
            StonePosition aim{Uniform(1.0f, 3.75f), Uniform(3.5f, 6.5f)};
            for (int k = state.shotNumber - 1; k >= 0; --k) {
                if (state.stones[k].x != 0.0f && Below(2) == 0) {
                    aim = state.stones[k];
                    break;
                }
            }
            // The straight line from the delivery point through the aim,
            // continued to the stopping line of the weight.
            const float weight = Uniform(0.0f, 16.0f);
            const float line =
                weight <= 10.0f ? 11.28f - 0.8f * weight : 3.05f - 1.52f * (weight - 10.0f);
            const float x = 2.375f + (aim.x - 2.375f) * (line - 41.28f) / (aim.y - 41.28f);
            target = {x, line, curl};
            break;
        }
        }
        CreateShot(target, &result.shot);
        if (Below(2) == 0) {
            result.shot.vx += Uniform(-0.02f, 0.02f);
            result.shot.vy += Uniform(-0.05f, 0.05f);
        }
        return result;
    }

    Mt19937 m_generator;
};

// FNV-1a over bytes, to fold many records into one number.
class Digest {
public:
    template <typename T> void Add(const T& value) {
        unsigned char bytes[sizeof(T)];
        std::memcpy(bytes, &value, sizeof(T));
        for (unsigned char b : bytes) {
            m_hash = (m_hash ^ b) * 1099511628211ULL;
        }
    }
    std::uint64_t Value() const { return m_hash; }

private:
    std::uint64_t m_hash = 14695981039346656037ULL;
};

} // namespace tarnwick::test
