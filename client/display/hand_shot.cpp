#include "hand_shot.h"

namespace skerrow {

const std::array<HandWeightChoice, 3>& HandShot::Choices() {
    static constexpr std::array<HandWeightChoice, 3> kChoices{{
        {HandWeight::Draw, "ドロー", "狙った点に止まるショット", 0.0f},
        {HandWeight::Guard, "ガード",
         "狙った点を通り、ハウスの手前で止まる重さ（CreateHitShot の重さ 3）", kGuardWeight},
        {HandWeight::Takeout, "テイクアウト",
         "狙った点のストーンをハウスの外へはじき出す重さ（CreateHitShot の重さ 12）",
         kTakeoutWeight},
    }};
    return kChoices;
}

std::optional<ShotVec> HandShot::Plan(PhysicsBinding::CreateShotFn createShot,
                                      PhysicsBinding::CreateHitShotFn createHitShot, ShotPos target,
                                      HandWeight weight) {
    ShotVec shot{};
    if (weight == HandWeight::Draw) {
        if (createShot == nullptr || createShot(target, &shot) != 1) {
            return std::nullopt;
        }
        return shot;
    }
    float value = kTakeoutWeight;
    for (const HandWeightChoice& choice : Choices()) {
        if (choice.kind == weight) {
            value = choice.weight;
        }
    }
    if (createHitShot == nullptr || createHitShot(target, value, &shot) != 1) {
        return std::nullopt;
    }
    return shot;
}

} // namespace skerrow
