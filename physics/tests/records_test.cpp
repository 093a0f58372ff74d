#include <tarnwick/tarnwick.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <type_traits>

// The records cross the library boundary byte for byte.
static_assert(sizeof(GameState) == 184);
static_assert(offsetof(GameState, shotNumber) == 0);
static_assert(offsetof(GameState, currentEnd) == 4);
static_assert(offsetof(GameState, lastEnd) == 8);
static_assert(offsetof(GameState, endScores) == 12);
static_assert(offsetof(GameState, turnFlag) == 52);
static_assert(offsetof(GameState, stones) == 56);
static_assert(sizeof(StonePosition) == 8 && offsetof(StonePosition, y) == 4);
static_assert(sizeof(ShotVec) == 12);
static_assert(offsetof(ShotVec, vx) == 0 && offsetof(ShotVec, vy) == 4 &&
              offsetof(ShotVec, curl) == 8);
static_assert(sizeof(ShotPos) == 12);
static_assert(offsetof(ShotPos, x) == 0 && offsetof(ShotPos, y) == 4 &&
              offsetof(ShotPos, curl) == 8);
static_assert(std::is_trivially_copyable_v<GameState> && std::is_standard_layout_v<GameState>);

TEST(Records, StonesAreXThenYInThrowingOrder) {
    GameState state{};
    state.stones[3] = {1.5f, 6.25f};
    const auto* bytes = reinterpret_cast<const unsigned char*>(&state);
    float x = 0.0f;
    float y = 0.0f;
    std::memcpy(&x, bytes + 56 + 3 * 8, 4);
    std::memcpy(&y, bytes + 56 + 3 * 8 + 4, 4);
    EXPECT_EQ(x, 1.5f);
    EXPECT_EQ(y, 6.25f);
}
