/*
 * Tarnwick: curling shots on a two-dimensional sheet.
 *
 * The library plays a delivery on a match position (stones that slow down,
 * curl and collide), adds a random delivery error, scores the end and plans
 * deliveries. Every call keeps nothing once it returns (SimulationBatch
 * reuses one physics world per thread within the call), and calls on several
 * threads at once do not affect each other. The library shows and logs
 * nothing.
 *
 * Sheet frame: metres and seconds. x runs across the sheet (side lines 0 and
 * 4.75, centre line 2.375), y along it from the scoring end (back line 3.05,
 * tee (2.375, 4.88), hog line 11.28, delivery point (2.375, 41.28)); a
 * delivered stone travels towards smaller y.
 *
 * The three records below cross the library boundary by pointer or by value;
 * their layouts are fixed byte for byte (little-endian, 4-byte fields, no
 * padding).
 *
 * Errors. No entry point says why it refused a call: a refused call returns 0
 * and writes nothing (SimulationBatch returns -1 for arguments it cannot use
 * and counts the entries refused), as listed with each function. Besides null
 * pointers and numbers that are not finite, the library refuses what no shot
 * on a sheet can have (the limits below), so that every call ends quickly:
 * a shot takes tens to hundreds of microseconds, a few milliseconds in a
 * house packed with overlapping stones, and a refused call returns at once.
 *
 * Delivery error. Simulation, SimulationTrace, SimulationSeeded and
 * SimulationBatch add an error to the requested velocity. randomSize r is the
 * error expressed as an offset at the tee, in metres: the spread on each axis
 * is the difference between the straight deliveries that stop on the tee and
 * on the point (2.375 + r, 4.88 + r),
 *     sigmaX = vx(tee + (r, r)) - vx(tee),  sigmaY = vy(tee + (r, r)) - vy(tee),
 * where v(P) is the velocity that stops a stone leaving the delivery point on
 * P in a straight line under the ice's deceleration of 0.12009216 m/s^2. For
 * r = 0.1 that is sigmaX = 0.00813 and sigmaY = 0.00407 m/s; both grow with r
 * (roughly in proportion for small r) and 0 gives no error. The errors on the
 * two axes are independent: each is sigma times (u1 + ... + u12 - 6), the
 * sum of twelve uniform numbers in [0, 1) less six, which is close to normal
 * with mean 0 and standard deviation |sigma| and never beyond 6 |sigma|. The
 * x error is drawn first, then the y error, from one 32-bit Mersenne Twister
 * (MT19937) seeded with the reference init_by_array: Simulation and
 * SimulationTrace use the key {calendar time in whole seconds}, so calls in
 * the same second draw the same error; SimulationSeeded uses {low 32 bits of
 * seed, high 32 bits of seed}. The curl is never changed.
 *
 * The end of an end. The sixteenth stone (a call with shotNumber 15) completes
 * the end: the result of the end goes into endScores[currentEnd], shotNumber
 * goes back to 0, currentEnd grows by one and turnFlag becomes 1 when the
 * entry of the new end holds a positive value, 0 when it holds a negative one,
 * and otherwise (an end not yet played holds 0) toggles its lowest bit, so the
 * side that delivered first in the finished end delivers first in the next.
 * Example: shotNumber 15, currentEnd 3, turnFlag 1, endScores[3] = -2 (the
 * odd side lying two), even-indexed stones 0.4 and 0.8 from the tee and the
 * odd side's stones gone; the last stone stops short of the hog line. After
 * the call shotNumber is 0, currentEnd 4, endScores[3] = 2 (the even side
 * scores two), endScores[4] = 0 and turnFlag 0. After the tenth end
 * (currentEnd 9) currentEnd becomes 10 and turnFlag toggles; no entry past
 * endScores[9] is read or written, and a position with currentEnd 10 is
 * refused. The stones stay in the record as they lie; the next call drops
 * those outside the playing area of a stored position, as for any shot.
 */

#ifndef TARNWICK_TARNWICK_H
#define TARNWICK_TARNWICK_H

#include <stdint.h>

#if defined(_WIN32)
#define TARNWICK_CALL __cdecl
#if defined(TARNWICK_BUILDING_LIBRARY)
#define TARNWICK_API __declspec(dllexport)
#else
#define TARNWICK_API __declspec(dllimport)
#endif
#else
#define TARNWICK_CALL
#if defined(TARNWICK_BUILDING_LIBRARY)
#define TARNWICK_API __attribute__((visibility("default")))
#else
#define TARNWICK_API
#endif
#endif

/*
 * Limits. Each is far beyond any shot that can be played on a sheet.
 *
 * TARNWICK_MAX_SHOT_SPEED: a delivery (requested, or played with its error)
 * faster than this is refused, in m/s. The hardest takeouts are delivered at
 * about 4 m/s; above 120 m/s the physics engine caps a body's travel per step
 * (2 m in 1/60 s) and would no longer move the stone at the speed asked for.
 */
#define TARNWICK_MAX_SHOT_SPEED 100.0f

/*
 * TARNWICK_TARGET_MIN_X ... TARNWICK_TARGET_MAX_Y: CreateShot and
 * CreateHitShot refuse targets outside this area, in metres: the sheet
 * (x 0 to 4.75, y 0 to 42.5) and another sheet's width and length beyond each
 * of its edges.
 */
#define TARNWICK_TARGET_MIN_X -4.75f
#define TARNWICK_TARGET_MAX_X 9.5f
#define TARNWICK_TARGET_MIN_Y -42.5f
#define TARNWICK_TARGET_MAX_Y 85.0f

/*
 * TARNWICK_MIN_STONE_DISTANCE: a position in which two of the stones put on
 * the sheet lie with their centres closer than this, in metres, is refused.
 * Such stones overlap by more than half their width, which no shot leaves
 * behind (the engine keeps touching stones within a few millimetres of
 * contact); stones on the same point would never come to rest. Stones that
 * overlap less are pushed apart at the start of the shot.
 */
#define TARNWICK_MIN_STONE_DISTANCE 0.145f

/*
 * TARNWICK_MAX_STEPS_PER_SHOT: a shot ends after this many engine steps of
 * 1/60 s (100 s of play) even if stones are still moving; they stay where
 * they are, as if at rest. The longest shots of play last about 1,550 steps
 * (26 s): a draw that stops on the back line, the longest way a stone can
 * travel and stay in play; no shot struck on to other stones lasts longer.
 */
#define TARNWICK_MAX_STEPS_PER_SHOT 6000

#ifdef __cplusplus
extern "C" {
#endif

/* One stone's position on the sheet, in metres. (0, 0) means no stone. */
typedef struct StonePosition {
    float x;
    float y;
} StonePosition;

/* A match position: 184 bytes. */
typedef struct GameState {
    /* Stones already delivered in the current end, 0 to 16; also the index of
       the next stone to be delivered. */
    int32_t shotNumber;
    /* Current end, counted from 0. */
    int32_t currentEnd;
    /* Number of ends of the match; carried unchanged, never read here. */
    int32_t lastEnd;
    /* Signed result of ends 0 to 9: n > 0 means the side with the
       even-indexed stones has n stones counting, n < 0 the odd-indexed side,
       0 nobody. The current end's entry is rewritten after every shot. */
    int32_t endScores[10];
    /* Side that delivers next: 0 red, non-zero yellow. Toggled after every
       stone. */
    int32_t turnFlag;
    /* Stone k is the (k+1)-th stone delivered in the current end; even
       indexes belong to the side that delivers first. (0, 0) for a stone not
       in play. */
    StonePosition stones[16];
} GameState;

/* A delivery: 12 bytes. */
typedef struct ShotVec {
    /* Velocity across the sheet at the delivery point, in m/s. */
    float vx;
    /* Velocity along the sheet, in m/s; negative towards the house. */
    float vy;
    /* 0 bends the path towards +x while the stone travels towards -y; 1 bends
       it towards -x. */
    int32_t curl;
} ShotVec;

/* A target: 12 bytes. */
typedef struct ShotPos {
    /* Target point, in metres. */
    float x;
    float y;
    /* Curl of the delivery, as in ShotVec. */
    int32_t curl;
} ShotPos;

/*
 * Plays one delivery on a position.
 *
 * state       the position before the shot (owned by the caller); on success
 *             it is overwritten with the position after it: stones, shot
 *             number, end, provisional end score and side to deliver (see
 *             "The end of an end" above for the sixteenth stone).
 * shot        the requested delivery.
 * randomSize  the delivery error, as an offset at the tee in metres; 0 plays
 *             the delivery exactly (see "Delivery error" above). The error is
 *             drawn from a generator seeded with the calendar time in whole
 *             seconds; SimulationSeeded takes the seed from the caller.
 * played      receives the delivery actually played, error included; may be
 *             null. Written even when the stones came to rest within the step
 *             limit.
 * steps       the number of engine steps (1/60 s each) to run at most, or -1
 *             to run until every stone rests or the shot reaches
 *             TARNWICK_MAX_STEPS_PER_SHOT steps.
 *
 * Returns 1 when the shot was played and the position written; 0 when the
 * position or delivery is refused, in which case nothing is written: a null
 * state, shotNumber outside 0 to 15, currentEnd outside 0 to 9, two stones in
 * play with centres closer than TARNWICK_MIN_STONE_DISTANCE, a non-finite
 * random size, a requested delivery or a delivery played (with its error)
 * that is not finite or faster than TARNWICK_MAX_SHOT_SPEED. Also returns 0
 * when all stones came to rest within the step limit, in which case only
 * `played` is written.
 */
TARNWICK_API int TARNWICK_CALL Simulation(GameState* state, ShotVec shot, float randomSize,
                                          ShotVec* played, int steps);

/*
 * Plays one delivery on a position exactly as Simulation does, with the
 * delivery error drawn from an MT19937 generator seeded with init_by_array on
 * the key {low 32 bits of seed, high 32 bits of seed}. The same arguments
 * give the same result on every call and thread; different seeds give
 * independent errors. With randomSize 0 the seed does not matter.
 */
TARNWICK_API int TARNWICK_CALL SimulationSeeded(GameState* state, ShotVec shot, float randomSize,
                                                ShotVec* played, int steps, uint64_t seed);

/*
 * Plays many shots in one call, on several threads.
 *
 * For each i below count, results[i] (and played[i], when played is not
 * null) receives what SimulationSeeded writes for states[i], shots[i], the
 * given randomSize, step limit -1 and seed `seed + i` (modulo 2^64). An entry
 * that SimulationSeeded refuses gets a copy of states[i] in results[i] and the
 * zero delivery {0, 0, 0} in played[i]. `results` may be `states` itself
 * (positions played in place) but must not otherwise overlap it. The arrays
 * are owned by the caller and hold `count` records each.
 *
 * threads   the number of threads to play on, counting the calling one: 0
 *           means one per core. At most one per shot and 256 are used. The
 *           results never depend on it.
 *
 * Returns the number of refused entries, or -1, writing nothing, when states,
 * shots or results is null, or count or threads is negative. Each thread
 * builds one physics world and reuses it for all its shots.
 */
TARNWICK_API int TARNWICK_CALL SimulationBatch(const GameState* states, const ShotVec* shots,
                                               int count, float randomSize, uint64_t seed,
                                               GameState* results, ShotVec* played, int threads);

/*
 * Receives one frame of a traced shot: the position as Simulation would write
 * it with step limit `step`. `frame` is owned by the library and valid during
 * the call only. Return non-zero to go on, 0 to stop the trace.
 */
typedef int(TARNWICK_CALL* SimulationFrameFn)(void* user, int step, const GameState* frame);

/*
 * Plays one delivery once and hands every intermediate position to onFrame,
 * so that a replay of K frames costs K engine steps instead of K*K/2.
 *
 * onFrame is called for step k = 0, 1, 2, ... with the record that Simulation
 * writes for the same position, delivery and step limit k, for exactly those k
 * for which Simulation returns 1 (at most TARNWICK_MAX_STEPS_PER_SHOT
 * frames). When the stones come to rest, `state` receives what Simulation
 * with step limit -1 writes and the result is 1. Returns 0 and leaves `state`
 * unchanged when the position or delivery is refused (as by Simulation) or
 * when onFrame returned 0. onFrame may be null (no frames are reported);
 * `played` may be null.
 */
TARNWICK_API int TARNWICK_CALL SimulationTrace(GameState* state, ShotVec shot, float randomSize,
                                               ShotVec* played, SimulationFrameFn onFrame,
                                               void* user);

/*
 * Plans a draw: a delivery that comes to rest on the target point, from a
 * straight-line stopping rule and a fixed sideways aim for the curl. The curl
 * is copied unchanged into the result.
 *
 * Returns 1; 0 when `result` is null or the target is not finite or lies
 * outside the target area (TARNWICK_TARGET_MIN_X to TARNWICK_TARGET_MAX_X,
 * TARNWICK_TARGET_MIN_Y to TARNWICK_TARGET_MAX_Y); nothing is written then.
 */
TARNWICK_API int TARNWICK_CALL CreateShot(ShotPos target, ShotVec* result);

/*
 * Plans a delivery whose path passes through the target point at the given
 * weight, as for striking a stone lying there. The weight scale sets where
 * the delivery would stop: 0 the hog line, 3 about 7.48, 4 the front of the
 * house, 7 the tee line, 10 the back line, 16 and above 9.12 beyond it. A
 * trial on an empty sheet measures how far the curling path misses and the
 * delivery is turned about the delivery point to cancel the miss. A negative
 * weight aims the first delivery to stop on the target itself; its curling
 * trial path, longer than the straight line, normally still reaches the
 * target's distance, so it is turned like any other.
 *
 * Returns 1 when the delivery was planned. Returns 0 when the trial stone
 * came to rest before reaching the target's distance (a weight too small);
 * `result` then holds the untuned first delivery. Also
 * returns 0, writing nothing, when `result` is null, the target or weight is
 * not finite, the target lies outside the target area (as for CreateShot),
 * or when a weight of 0 or more meets a target level with the delivery point
 * (y = 41.28), which has no stopping line, or so nearly level with it that
 * the delivery would be faster than TARNWICK_MAX_SHOT_SPEED.
 */
TARNWICK_API int TARNWICK_CALL CreateHitShot(ShotPos target, float weight, ShotVec* result);

#ifdef __cplusplus
}
#endif

#endif /* TARNWICK_TARNWICK_H */
