/*
 * tarnwick_c_reference: the library called from C, for the Python package's
 * tests. Records travel as hexadecimal text of their bytes, so that the
 * tests compare bit for bit.
 *
 *   tarnwick_c_reference fields STATE
 *       prints the fields of the GameState as C reads them, one per line
 *   tarnwick_c_reference simulate STATE SHOT RANDOM SEED STEPS
 *       calls SimulationSeeded (RANDOM: the float's 4 bytes; SEED and STEPS
 *       decimal) and prints "result N", "state HEX" and "played HEX"
 */

#include <tarnwick/tarnwick.h>

#include <inttypes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* Fills `size` bytes from exactly 2 * size hexadecimal digits; 0 on a mistake. */
static int ReadHex(const char* text, void* record, size_t size) {
    unsigned char* bytes = record;
    if (strlen(text) != 2 * size) {
        return 0;
    }
    for (size_t i = 0; i < size; ++i) {
        unsigned value = 0;
        if (sscanf(text + 2 * i, "%2x", &value) != 1) {
            return 0;
        }
        bytes[i] = (unsigned char)value;
    }
    return 1;
}

static void PrintHex(const char* label, const void* record, size_t size) {
    const unsigned char* bytes = record;
    printf("%s ", label);
    for (size_t i = 0; i < size; ++i) {
        printf("%02x", bytes[i]);
    }
    printf("\n");
}

static int PrintFields(const GameState* state) {
    printf("shotNumber %d\n", (int)state->shotNumber);
    printf("currentEnd %d\n", (int)state->currentEnd);
    printf("lastEnd %d\n", (int)state->lastEnd);
    printf("endScores");
    for (int i = 0; i < 10; ++i) {
        printf(" %d", (int)state->endScores[i]);
    }
    printf("\nturnFlag %d\n", (int)state->turnFlag);
    for (int k = 0; k < 16; ++k) {
        /* Nine significant digits read back as the same float. */
        printf("stone %d %.9g %.9g\n", k, (double)state->stones[k].x, (double)state->stones[k].y);
    }
    printf("sizes %u %u %u\n", (unsigned)sizeof(GameState), (unsigned)sizeof(ShotVec),
           (unsigned)sizeof(ShotPos));
    return 0;
}

static int Usage(void) {
    fprintf(stderr, "usage: tarnwick_c_reference fields STATE | simulate STATE SHOT RANDOM SEED "
                    "STEPS\n");
    return 2;
}

int main(int argc, char** argv) {
    GameState state;
    if (argc == 3 && strcmp(argv[1], "fields") == 0) {
        if (!ReadHex(argv[2], &state, sizeof state)) {
            return Usage();
        }
        return PrintFields(&state);
    }
    if (argc == 7 && strcmp(argv[1], "simulate") == 0) {
        ShotVec shot;
        float randomSize = 0.0f;
        if (!ReadHex(argv[2], &state, sizeof state) || !ReadHex(argv[3], &shot, sizeof shot) ||
            !ReadHex(argv[4], &randomSize, sizeof randomSize)) {
            return Usage();
        }
        const uint64_t seed = strtoull(argv[5], NULL, 10);
        const int steps = atoi(argv[6]);
        ShotVec played;
        memset(&played, 0, sizeof played);
        const int result = SimulationSeeded(&state, shot, randomSize, &played, steps, seed);
        printf("result %d\n", result);
        PrintHex("state", &state, sizeof state);
        PrintHex("played", &played, sizeof played);
        return 0;
    }
    return Usage();
}
