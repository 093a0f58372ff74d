#pragma once

#include "physics_binding.h"

#include <tarnwick/tarnwick.h>

#include <array>
#include <optional>

namespace skerrow {

// The weights a person playing by hand chooses from: a draw that stops on
// the aimed point, or a delivery through the aimed point at a weight as
// CreateHitShot takes them (where the stone would stop on an empty sheet:
// 3 about 7.48 m, in front of the house, for a guard; 12 the back line, so
// that a stone struck full leaves the house, for a takeout). A target the
// weight does not reach (a guard aimed into the house) cannot be planned.
enum class HandWeight { Draw, Guard, Takeout };

struct HandWeightChoice {
    HandWeight kind;
    const char* label;   // UTF-8, for the window's choice
    const char* toolTip; // UTF-8
    float weight;        // CreateHitShot's weight; unused for Draw
};

class HandShot {
public:
    HandShot() = delete;

    static constexpr float kGuardWeight = 3.0f;
    static constexpr float kTakeoutWeight = 12.0f;

    // The choices in the order the window offers them.
    static const std::array<HandWeightChoice, 3>& Choices();

    // The delivery that plays `target` (a sheet point in metres and a curl)
    // at `weight`: CreateShot for Draw, CreateHitShot otherwise. None when
    // the entry point is missing, the library refuses the target, or the
    // weight is too small to reach it.
    static std::optional<ShotVec> Plan(PhysicsBinding::CreateShotFn createShot,
                                       PhysicsBinding::CreateHitShotFn createHitShot,
                                       ShotPos target, HandWeight weight);
};

} // namespace skerrow
