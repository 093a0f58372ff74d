#!/usr/bin/python3
"""simulate_batch from Python against the same SimulationBatch call from C++.

Makes a batch of match-like shots (positions with 0 to 15 stones in and
around the house; draws, guards, takeouts and peels; the server's delivery
error), times tarnwick.simulate_batch on it, writes it to a file and has
batch_file_bench time the library's own call on the very same bytes. Prints
both medians and the cost of the Python layer.

    PYTHONPATH=python bench/python_batch_bench.py [--shots N] [--runs R] [--build DIR]
"""

import argparse
import json
import os
import statistics
import struct
import subprocess
import sys
import tempfile
import time

import numpy as np

import tarnwick as tw

RANDOM_SIZE = 0.1
SEED = 20240101
THREADS = 0  # one per core


def make_batch(count, rng):
    """Positions and deliveries of a match: the stones of an end so far, none
    closer than a stone's width to another, and a shot a player would try."""
    states = np.zeros(count, tw.game_state_dtype())
    states["last_end"] = 10
    states["shot_number"] = np.arange(count) % tw.STONES_PER_END
    states["turn_flag"] = states["shot_number"] % 2
    shots = []
    for i in range(count):
        placed = []
        for _ in range(int(states["shot_number"][i])):
            for _ in range(20):
                x, y = rng.normal(tw.TEE_X, 0.8), rng.uniform(3.3, 9.0)
                if all(np.hypot(x - a, y - b) > 0.3 for a, b in placed):
                    placed.append((x, y))
                    break
        if placed:
            states["stones"][i, : len(placed)] = placed
        kind = rng.integers(4)
        curl = int(rng.integers(2))
        if kind == 0 or not placed:
            shots.append(tw.create_shot(rng.normal(tw.TEE_X, 0.6), rng.uniform(3.8, 6.5), curl))
        elif kind == 1:
            shots.append(tw.create_shot(rng.normal(tw.TEE_X, 0.5), rng.uniform(7.5, 9.5), curl))
        else:
            x, y = placed[int(rng.integers(len(placed)))]
            try:
                shots.append(tw.create_hit_shot(x, y, 12 if kind == 2 else 16, curl))
            except tw.RefusedError:
                shots.append(tw.create_shot(tw.TEE_X, tw.TEE_Y, curl))
    return states, tw.shots_to_array(shots)


def write_batch(path, states, shots):
    with open(path, "wb") as file:
        file.write(b"TWBATCH1")
        file.write(struct.pack("<IfQi", len(states), RANDOM_SIZE, SEED, THREADS))
        file.write(states.tobytes())
        file.write(shots.tobytes())


def time_python(states, shots, runs):
    seconds = []
    for _ in range(runs):
        start = time.perf_counter()
        tw.simulate_batch(states, shots, random=RANDOM_SIZE, seed=SEED, threads=THREADS)
        seconds.append(time.perf_counter() - start)
    return statistics.median(seconds), seconds


def time_c(program, path, runs):
    done = subprocess.run(
        [
            program,
            path,
            "--benchmark_format=json",
            "--benchmark_repetitions=%d" % runs,
            "--benchmark_min_time=0",
        ],
        capture_output=True,
        text=True,
        check=True,
    )
    runs_ms = [
        b["real_time"]
        for b in json.loads(done.stdout)["benchmarks"]
        if b.get("run_type") == "iteration"
    ]
    return statistics.median(runs_ms) / 1000.0, [ms / 1000.0 for ms in runs_ms]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--shots", type=int, default=10000)
    parser.add_argument("--runs", type=int, default=5)
    repository = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("--build", default=os.path.join(repository, "build"))
    options = parser.parse_args()

    states, shots = make_batch(options.shots, np.random.default_rng(1))
    program = os.path.join(options.build, "bin", "batch_file_bench")
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "batch.bin")
        write_batch(path, states, shots)
        # Alternate the two, so that a change in the machine's load meets both.
        python, c = [], []
        for _ in range(options.runs):
            python += time_python(states, shots, 1)[1]
            c += time_c(program, path, 1)[1]
    py, cc = statistics.median(python), statistics.median(c)
    print("library: %s" % tw.library_path())
    print("%d shots, random %g, %s threads" % (options.shots, RANDOM_SIZE, THREADS or "all"))
    print(
        "from C++:    median %.1f ms (%s)" % (1000 * cc, ", ".join("%.0f" % (1000 * s) for s in c))
    )
    print(
        "from Python: median %.1f ms (%s)"
        % (1000 * py, ", ".join("%.0f" % (1000 * s) for s in python))
    )
    print("Python / C++: %.3f" % (py / cc))
    return 0


if __name__ == "__main__":
    sys.exit(main())
