/*
 * Tarnwick: curling shots on a two-dimensional sheet.
 *
 * The library plays a delivery on a match position (stones that slow down,
 * curl and collide), adds a random delivery error, scores the end and plans
 * deliveries. Every call builds and frees its own physics world and random
 * generator: nothing survives a call, and calls on several threads at once do
 * not affect each other. The library shows and logs nothing.
 *
 * Sheet frame: metres and seconds. x runs across the sheet (side lines 0 and
 * 4.75, centre line 2.375), y along it from the scoring end (back line 3.05,
 * tee (2.375, 4.88), hog line 11.28, delivery point (2.375, 41.28)); a
 * delivered stone travels towards smaller y.
 *
 * The three records below cross the library boundary by pointer or by value;
 * their layouts are fixed byte for byte (little-endian, 4-byte fields, no
 * padding).
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
 *             number, end, provisional end score and side to deliver.
 * shot        the requested delivery.
 * randomSize  the delivery error, as an offset at the tee in metres; 0 plays
 *             the delivery exactly. The error is drawn from a generator seeded
 *             with the calendar time in whole seconds.
 * played      receives the delivery actually played, error included; may be
 *             null. Written even when the stones came to rest within the step
 *             limit.
 * steps       the number of engine steps (1/60 s each) to run at most, or -1
 *             to run until every stone rests.
 *
 * Returns 1 when the shot was played and the position written; 0 when the
 * position or delivery is refused (null state, shotNumber outside 0 to 15,
 * currentEnd outside 0 to 9, a non-finite number in the delivery or random
 * size), in which case nothing is written, or when all stones came to rest
 * within the step limit, in which case only `played` is written.
 */
TARNWICK_API int TARNWICK_CALL Simulation(GameState* state, ShotVec shot, float randomSize,
                                          ShotVec* played, int steps);

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
 * for which Simulation returns 1. When the stones come to rest, `state`
 * receives what Simulation with step limit -1 writes and the result is 1.
 * Returns 0 and leaves `state` unchanged when the position or delivery is
 * refused (as by Simulation) or when onFrame returned 0. onFrame may be null
 * (no frames are reported); `played` may be null.
 */
TARNWICK_API int TARNWICK_CALL SimulationTrace(GameState* state, ShotVec shot, float randomSize,
                                               ShotVec* played, SimulationFrameFn onFrame,
                                               void* user);

/*
 * Plans a draw: a delivery that comes to rest on the target point, from a
 * straight-line stopping rule and a fixed sideways aim for the curl. The curl
 * is copied unchanged into the result.
 *
 * Returns 1; 0 when `result` is null or the target holds a non-finite number
 * (nothing is written then).
 */
TARNWICK_API int TARNWICK_CALL CreateShot(ShotPos target, ShotVec* result);

/*
 * Plans a delivery whose path passes through the target point at the given
 * weight, as for striking a stone lying there. The weight scale sets where
 * the delivery would stop: 0 the hog line, 3 about 7.48, 4 the front of the
 * house, 7 the tee line, 10 the back line, 16 and above 9.12 beyond it. A
 * trial on an empty sheet measures how far the curling path misses and the
 * delivery is turned about the delivery point to cancel the miss.
 *
 * Returns 1 when the delivery was planned. Returns 0 when the trial stone
 * came to rest before reaching the target's distance (a weight too small, or
 * a negative weight); `result` then holds the untuned first delivery. Also
 * returns 0, writing nothing, when `result` is null, the target or weight is
 * non-finite, or when a weight of 0 or more meets a target level with the
 * delivery point (y = 41.28), which has no stopping line.
 */
TARNWICK_API int TARNWICK_CALL CreateHitShot(ShotPos target, float weight, ShotVec* result);

#ifdef __cplusplus
}
#endif

#endif /* TARNWICK_TARNWICK_H */
