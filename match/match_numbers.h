#pragma once

// The sheet and the game in numbers, as every part of the system knows them:
// the physics library mirrors the same values in its own constants, the
// display draws the sheet from them and the engines aim with them.
//
// Lengths are in metres in the sheet frame: x runs across the sheet, y along
// it from the scoring end towards the delivery end, so a delivered stone
// travels towards smaller y. Every length is the single-precision value of
// the decimal shown.

#include <tarnwick/tarnwick.h>

#include <iterator>

namespace skerrow {

// Landmarks of the sheet, in metres.
inline constexpr float kSheetWidth = 4.75f;   // the side lines are x = 0 and x = kSheetWidth
inline constexpr float kCentreLineX = 2.375f; // also the x of the tee and the delivery point
inline constexpr float kBackLineY = 3.05f;    // the house's back edge lies on it
inline constexpr float kTeeX = kCentreLineX;  // the centre of the house
inline constexpr float kTeeY = 4.88f;
inline constexpr float kHouseRadius = 1.83f;    // the outer ring, about the tee
inline constexpr float kCountingRadius = 1.98f; // a stone counts while nearer to the tee
inline constexpr float kHogLineY = 11.28f;
inline constexpr float kDeliveryX = kCentreLineX; // where every delivered stone starts
inline constexpr float kDeliveryY = 41.28f;
inline constexpr float kFarLimitY = 42.5f; // the end of play behind the delivery point
inline constexpr float kStoneRadius = 0.145f;

// The game.
inline constexpr int kStonesPerEnd = 16; // numbered 0 to 15 in the order of delivery
inline constexpr int kStonesPerSide = kStonesPerEnd / 2;
// The ends of a full game: the most a game has and a position records.
inline constexpr int kEnds = 10;

// A position holds exactly one end's stones and one full game's end results.
static_assert(std::size(GameState{}.stones) == kStonesPerEnd);
static_assert(std::size(GameState{}.endScores) == kEnds);

} // namespace skerrow
