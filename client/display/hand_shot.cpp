#include "hand_shot.h"

namespace skerrow {

const std::array<HandWeightChoice, 4>& HandShot::Choices() {
    static constexpr std::array<HandWeightChoice, 4> kChoices{{
        {HandWeight::ToPoint, "狙った点に止める", "クリックした点に止まるドロー", 0.0f},
        {HandWeight::Guard, "ガードの重さ",
         "狙った点を通り、ハウスの手前で止まる重さ（CreateHitShot の重さ 3）", kGuardWeight},
        {HandWeight::Draw, "ドローの重さ", "狙った点を通り、ティーラインで止まる重さ（重さ 7）",
         kDrawWeight},
        {HandWeight::Takeout, "テイクアウト", "狙った点の石をハウスの外へ出す重さ（重さ 12）",
         kTakeoutWeight},
    }};
    return kChoices;
}

std::optional<ShotVec> HandShot::Plan(PhysicsBinding::CreateShotFn createShot,
                                      PhysicsBinding::CreateHitShotFn createHitShot, ShotPos target,
                                      HandWeight weight) {
    ShotVec shot{};
    if (weight == HandWeight::ToPoint) {
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
