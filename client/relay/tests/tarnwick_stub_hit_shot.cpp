// The stand-in's CreateHitShot: the entry point that tells the complete
// stand-in from the one that lacks it.
#include <tarnwick/tarnwick.h>

extern "C" {

TARNWICK_API int TARNWICK_CALL CreateHitShot(ShotPos /*target*/, float /*weight*/,
                                             ShotVec* /*result*/) {
    return 0;
}

} // extern "C"
