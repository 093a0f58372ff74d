/* A C program over the public header: the records have their fixed layout and
   the entry points link with C names. */
#include <tarnwick/tarnwick.h>

#include <stddef.h>
#include <stdio.h>
#include <string.h>

_Static_assert(sizeof(GameState) == 184, "GameState is 184 bytes");
_Static_assert(offsetof(GameState, shotNumber) == 0, "shotNumber at 0");
_Static_assert(offsetof(GameState, currentEnd) == 4, "currentEnd at 4");
_Static_assert(offsetof(GameState, lastEnd) == 8, "lastEnd at 8");
_Static_assert(offsetof(GameState, endScores) == 12, "endScores at 12");
_Static_assert(offsetof(GameState, turnFlag) == 52, "turnFlag at 52");
_Static_assert(offsetof(GameState, stones) == 56, "stones at 56");
_Static_assert(sizeof(ShotVec) == 12 && offsetof(ShotVec, curl) == 8, "ShotVec layout");
_Static_assert(sizeof(ShotPos) == 12 && offsetof(ShotPos, curl) == 8, "ShotPos layout");

static int countFrames(void* user, int step, const GameState* frame) {
    (void)step;
    (void)frame;
    ++*(int*)user;
    return 1;
}

int main(void) {
    GameState state = {0};
    state.lastEnd = 10;
    ShotPos tee = {2.375f, 4.88f, 0};
    ShotVec shot;
    if (!CreateShot(tee, &shot)) {
        fprintf(stderr, "CreateShot failed\n");
        return 1;
    }
    GameState traced = state;
    int frames = 0;
    if (!Simulation(&state, shot, 0.0f, NULL, -1) ||
        !SimulationTrace(&traced, shot, 0.0f, NULL, countFrames, &frames)) {
        fprintf(stderr, "a draw to the tee was refused\n");
        return 1;
    }
    if (state.shotNumber != 1 || state.turnFlag != 1 || frames < 1000) {
        fprintf(stderr, "unexpected result: shot %d turn %d frames %d\n", (int)state.shotNumber,
                (int)state.turnFlag, frames);
        return 1;
    }
    GameState seeded = traced;
    GameState batch[2] = {traced, traced};
    ShotVec shots[2] = {shot, shot};
    if (!SimulationSeeded(&seeded, shot, 0.1f, NULL, -1, UINT64_C(42)) ||
        SimulationBatch(batch, shots, 2, 0.1f, UINT64_C(42), batch, NULL, 2) != 0 ||
        memcmp(&batch[0], &seeded, sizeof seeded) != 0) {
        fprintf(stderr, "the seeded shot and the batch's first entry differ\n");
        return 1;
    }
    return 0;
}
