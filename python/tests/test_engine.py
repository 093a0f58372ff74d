"""The engine framework against the recorded game, in process and as a real process."""

import io
import math
import os
import subprocess
import sys
import textwrap

import pytest

import tarnwick
from tarnwick import GameState, Shot
from tarnwick.engine import Engine, EngineSession, think_time

PACKAGE_DIR = os.path.dirname(os.path.dirname(os.path.abspath(tarnwick.__file__)))


class Recorder(Engine):
    """Answers every GO with a distinct delivery and notes what it was given."""

    def __init__(self):
        self.calls = []
        self.events = []

    def choose(self, state, time_left):
        self.calls.append((state.copy(), time_left))
        state.shot_number = 99  # a copy: the session's own position must not change
        return Shot(vx=0.001 * len(self.calls), vy=-3.0, curl=len(self.calls) % 2)

    def new_game(self, red, yellow):
        self.events.append(("new_game", red, yellow))

    def ready(self):
        self.events.append(("ready",))

    def end_scored(self, scores):
        self.events.append(("end_scored", scores))

    def game_over(self):
        self.events.append(("game_over",))


def expected_turns(transcript):
    """(state, time left) for each GO, from the messages before it."""
    messages = transcript.decode().split("\0")[:-1]
    turns = []
    for i, message in enumerate(messages):
        if message.startswith("GO "):
            state = GameState.from_protocol(messages[i - 2], messages[i - 1])
            red_ms, _ = tarnwick.parse_go(message)
            turns.append((state, red_ms / 1000.0))
    return turns


@pytest.mark.parametrize("chunk", [1, 7, 1 << 20])
def test_the_session_answers_the_recorded_game(transcript, chunk):
    engine = Recorder()
    lines = []
    session = EngineSession(engine, lines.append, log=io.StringIO())
    for start in range(0, len(transcript), chunk):
        session.feed(transcript[start : start + chunk])
    expected = expected_turns(transcript)
    assert lines == ["READYOK"] + [
        "BESTSHOT %.6f -3.000000 %d" % (0.001 * n, n % 2) for n in range(1, len(expected) + 1)
    ]
    assert [(s.to_bytes(), t) for s, t in engine.calls] == [(s.to_bytes(), t) for s, t in expected]
    assert all(state.turn_flag == tarnwick.RED for state, _ in engine.calls)
    # The engine changed the position it was given; the session's is intact.
    session.feed(
        ("POSITION " + " ".join(["0"] * 32) + "\0SETSTATE 4 0 10 0\0GO 500 500\0").encode()
    )
    assert session.state.shot_number == 4 and engine.calls[-1][0].shot_number == 4
    assert engine.events == [
        ("new_game", "Red", "Yellow"),
        ("ready",),
        ("end_scored", [-3]),
        ("game_over",),
    ]


class Faulty(Engine):
    def __init__(self):
        self.answers = iter(
            [RuntimeError("bug"), Shot(vx=math.nan, vy=-3.0, curl=0), (0.05, -3.1, 1)]
        )

    def choose(self, state, time_left):
        answer = next(self.answers)
        if isinstance(answer, Exception):
            raise answer
        return answer

    def new_game(self, red, yellow):
        raise KeyError("no such opening book")


def test_a_faulty_engine_keeps_its_stones_and_is_told_why():
    lines = []
    log = io.StringIO()
    session = EngineSession(Faulty(), lines.append, log=log)
    tee = tarnwick.create_shot(tarnwick.TEE_X, tarnwick.TEE_Y, 0).to_bestshot()
    session.feed(b"NEWGAME A B\0ISREADY\0")
    session.feed(b"POSITION 1 2 3\0SETSTATE 0 0 10 0\0")  # a malformed POSITION: noted, skipped
    for _ in range(2):
        session.feed(b"GO 1000 1000\0")
    session.feed(b"GO soon\0")  # asked without a clock: answered all the same
    assert lines == ["READYOK", tee, tee, "BESTSHOT 0.050000 -3.100000 1"]
    notes = log.getvalue()
    for text in ("new_game() failed", "no such opening book", "POSITION takes 32 arguments"):
        assert text in notes
    assert "RuntimeError: bug" in notes and "only finite velocities" in notes
    assert "GO without a clock" in notes


def test_think_time_shares_the_clock_among_the_stones_left():
    first = GameState(shot_number=0, current_end=0, last_end=10)
    assert think_time(first, 80.0) == pytest.approx(80.0 / 80 * 0.8)
    last_of_game = GameState(shot_number=15, current_end=9, last_end=10)
    assert think_time(last_of_game, 2.0) == pytest.approx(1.6)
    assert think_time(last_of_game, 2.0, most=0.5) == 0.5
    assert think_time(last_of_game, -1.0) == 0.0


NOISY_ENGINE = textwrap.dedent(
    """
    import os, subprocess, sys
    import tarnwick
    from tarnwick.engine import Engine, run

    class Noisy(Engine):
        def __init__(self):
            print("constructing")

        def choose(self, state, time_left):
            print("thinking about stone", state.shot_number)
            sys.stdout.write("more on sys.stdout\\n")
            os.write(1, b"straight to descriptor 1\\n")
            subprocess.run(["echo", "from a child process"], check=True)
            return tarnwick.Shot(vx=0.0, vy=-3.0, curl=0)

    run(Noisy)
    """
)


def run_engine(arguments, transcript, **environment):
    env = dict(os.environ, PYTHONPATH=PACKAGE_DIR, **environment)
    return subprocess.run(
        [sys.executable, *arguments], input=transcript, capture_output=True, env=env, timeout=120
    )


def test_what_an_engine_prints_stays_off_the_wire(tmp_path, transcript):
    script = tmp_path / "noisy.py"
    script.write_text(NOISY_ENGINE)
    done = run_engine([str(script)], transcript)
    assert done.returncode == 0, done.stderr.decode()
    assert done.stdout.decode().splitlines() == ["READYOK"] + ["BESTSHOT 0.000000 -3.000000 0"] * 8
    errors = done.stderr.decode()
    for text in (
        "constructing",
        "thinking about stone 14",
        "more on sys.stdout",
        "straight to descriptor 1",
        "from a child process",
    ):
        assert text in errors


def test_the_example_engine_plays_the_recorded_game(repository, transcript):
    example = str(repository / "examples" / "python_engine.py")
    done = run_engine([example, "--max-think-ms", "30", "--seed", "5"], transcript)
    assert done.returncode == 0, done.stderr.decode()
    lines = done.stdout.decode().splitlines()
    assert lines[0] == "READYOK" and len(lines) == 9
    for line in lines[1:]:
        shot = Shot.from_message(line)
        assert -3.5 < shot.vy < -2.5, line  # draws and hits, nothing thrown away
