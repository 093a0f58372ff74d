/* Loads Tarnwick.dll at run time by its file name, as a Windows program that
   does not link the import library does, and finds every entry point named on
   the command line under its plain C name. Then plays a draw to the tee through
   the pointers it found. */
#include <tarnwick/tarnwick.h>

#include <windows.h>

#include <math.h>
#include <stdio.h>

typedef int(TARNWICK_CALL* CreateShotFn)(ShotPos target, ShotVec* result);
typedef int(TARNWICK_CALL* SimulationFn)(GameState* state, ShotVec shot, float randomSize,
                                         ShotVec* played, int steps);

/* FARPROC converted through a plain function pointer type, as C allows. */
typedef void (*AnyFunction)(void);

int main(int argc, char** argv) {
    HMODULE library = LoadLibraryA("Tarnwick.dll");
    if (library == NULL) {
        fprintf(stderr, "LoadLibraryA(\"Tarnwick.dll\") failed: error %lu\n", GetLastError());
        return 1;
    }
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        if (GetProcAddress(library, argv[i]) == NULL) {
            fprintf(stderr, "no entry point named %s\n", argv[i]);
            status = 1;
        }
    }

    CreateShotFn createShot = (CreateShotFn)(AnyFunction)GetProcAddress(library, "CreateShot");
    SimulationFn simulation = (SimulationFn)(AnyFunction)GetProcAddress(library, "Simulation");
    if (createShot != NULL && simulation != NULL) {
        GameState state = {0};
        state.lastEnd = 10;
        ShotPos tee = {2.375f, 4.88f, 0};
        ShotVec shot;
        if (!createShot(tee, &shot) || !simulation(&state, shot, 0.0f, NULL, -1) ||
            state.shotNumber != 1 || fabsf(state.stones[0].x - 2.375f) > 0.1f ||
            fabsf(state.stones[0].y - 4.88f) > 0.1f) {
            fprintf(stderr, "a draw to the tee through GetProcAddress went wrong\n");
            status = 1;
        }
    }
    FreeLibrary(library);
    return status;
}
