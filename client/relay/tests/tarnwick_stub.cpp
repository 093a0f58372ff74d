// A stand-in for the physics library with recognisable results, for the
// binding tests: the entry points that both stand-ins have (one adds
// CreateHitShot, in tarnwick_stub_hit_shot.cpp; the other lacks it).
#include <tarnwick/tarnwick.h>

extern "C" {

TARNWICK_API int TARNWICK_CALL Simulation(GameState* state, ShotVec /*shot*/, float /*randomSize*/,
                                          ShotVec* /*played*/, int /*steps*/) {
    if (state != nullptr) {
        state->shotNumber = 99;
    }
    return 1;
}

// Returns the target doubled, so that a test can tell the stub from the real
// planner.
TARNWICK_API int TARNWICK_CALL CreateShot(ShotPos target, ShotVec* result) {
    if (result == nullptr) {
        return 0;
    }
    result->vx = 2.0f * target.x;
    result->vy = 2.0f * target.y;
    result->curl = target.curl;
    return 1;
}

} // extern "C"
