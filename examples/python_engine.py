#!/usr/bin/python3
"""A thinking engine in Python: candidate shots, tried many times with the server's
delivery error in batches, the best on average played; within a time budget.

    scripts/play --engine examples/python_engine.py -- --max-think-ms 1000
    PYTHONPATH=python examples/python_engine.py < docs/engine-transcript.bin

The guide to every call used here is docs/engines.md.
"""

import argparse
import os
import time

import numpy as np

import tarnwick as tw
from tarnwick.engine import Engine, run, think_time

GUARD_Y = 8.3  # between the front of the house (6.71) and the hog line (11.28)
STONE_ON_THE_TEE = 0.5  # worth of a stone on the tee while stones are still to come
SAMPLES = 8  # samples per candidate and round
FINALISTS = 4  # the halving stops at this many candidates
ENOUGH = 96  # samples that settle between the finalists


class MonteCarloEngine(Engine):
    def __init__(self, random_size, max_think, seed):
        self.random_size = random_size
        self.max_think = max_think
        self.rng = np.random.default_rng(seed)

    def candidates(self, state):
        shots = []

        def draw(x, y):
            for curl in (0, 1):
                shots.append(tw.create_shot(x, y, curl))

        def hit(x, y, weight):
            for curl in (0, 1):
                try:
                    shots.append(tw.create_hit_shot(x, y, weight, curl))
                except tw.RefusedError:  # WeightTooSmallError included
                    pass

        # The draw to the tee first: it is the answer when there is no time.
        draw(tw.TEE_X, tw.TEE_Y)
        for dx, dy in ((-0.6, 0), (0.6, 0), (0, 0.6), (0, -0.6), (0, 1.5)):
            draw(tw.TEE_X + dx, tw.TEE_Y + dy)
        for dx in (-0.7, 0.0, 0.7):
            draw(tw.TEE_X + dx, GUARD_Y)
        mine = state.shot_number % 2  # the parity of the stones I own
        for k in range(state.shot_number):
            x, y = state.stones[k]
            if (x, y) == (0.0, 0.0) or y > tw.HOG_LINE_Y:
                continue
            in_house = np.hypot(x - tw.TEE_X, y - tw.TEE_Y) < tw.COUNTING_RADIUS
            if k % 2 != mine:
                if in_house:
                    hit(x, y, 12)  # takeout
                    draw(x, y + 2 * tw.STONE_RADIUS)  # freeze in front of it
                elif abs(x - tw.TEE_X) < 1.2:
                    hit(x, y, 16)  # peel a guard
            elif y > tw.TEE_Y + 0.5 and abs(x - tw.TEE_X) < 1.2:
                hit(x, y, 7)  # raise my stone towards the tee
        return shots

    def values(self, state, results):
        """What each result is worth to me, in points of this end."""
        me = state.turn_flag
        score = tw.end_score(results, me).astype(float)
        if state.shot_number == tw.STONES_PER_END - 1:
            return score  # the last stone: the end's result is all that counts
        # With stones to come, a stone near the tee is worth more than one on
        # the edge, which is easily removed.
        stones = results["stones"].astype(float)
        distance = np.hypot(stones[:, :, 0] - tw.TEE_X, stones[:, :, 1] - tw.TEE_Y)
        closeness = np.clip(1 - distance / tw.COUNTING_RADIUS, 0, None) * STONE_ON_THE_TEE
        sign = np.where(np.arange(tw.STONES_PER_END) % 2 == state.shot_number % 2, 1.0, -1.0)
        return score + (closeness * sign).sum(axis=1)

    def choose(self, state, time_left):
        start = time.monotonic()
        deadline = start + think_time(state, time_left, self.max_think)
        shots = self.candidates(state)
        field = tw.shots_to_array(shots)
        totals = np.zeros(len(shots))
        alive = np.arange(len(shots))
        per_shot = 0.0002  # seconds per simulated shot, measured as we go
        samples = 0
        # Rounds: every candidate still in the running gets up to SAMPLES
        # more samples with fresh seeds (as many as the time left allows),
        # then the better half goes on, down to a few finalists.
        while samples < ENOUGH:
            affordable = (deadline - time.monotonic()) / (per_shot * len(alive))
            count = min(SAMPLES, int(affordable))
            if count < 1:
                break
            batch = np.repeat(field[alive], count)
            seed = int(self.rng.integers(2**63))
            began = time.monotonic()
            results = tw.simulate_batch(state, batch, random=self.random_size, seed=seed)
            per_shot = (time.monotonic() - began) / len(batch)
            totals[alive] += self.values(state, results).reshape(len(alive), count).sum(axis=1)
            samples += count
            order = np.argsort(-totals[alive], kind="stable")
            alive = alive[order[: max(FINALISTS, len(alive) // 2)]]
        best = alive[np.argmax(totals[alive])] if samples else 0
        print(
            "stone %d: %d candidates, %d samples, %.0f ms"
            % (state.shot_number, len(shots), samples, 1000 * (time.monotonic() - start))
        )
        return shots[best]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--random", type=float, default=0.1, help="the server's delivery error (m)")
    parser.add_argument("--max-think-ms", type=int, default=3000, help="longest think per stone")
    parser.add_argument("--seed", type=int, default=None, help="seed of the sampling")
    options = parser.parse_args()
    seed = options.seed if options.seed is not None else int.from_bytes(os.urandom(8), "little")
    run(lambda: MonteCarloEngine(options.random, options.max_think_ms / 1000.0, seed))


if __name__ == "__main__":
    main()
