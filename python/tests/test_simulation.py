"""simulate, simulate_batch and the planners against the library called from C."""

import math
import os
import shutil
import struct
import subprocess
import sys

import numpy as np
import pytest

import tarnwick
from tarnwick import GameState, RefusedError, Shot

DRAW = Shot(vx=-0.09907398, vy=-2.9559774, curl=0)  # CreateShot to the tee, curl 0
HOUSE = [(2.375, 4.88), (2.2, 5.6), (2.9, 4.3), (1.9, 4.6), (2.5, 6.2)]


def house_state(shot_number=5, **fields):
    fields.setdefault("stones", HOUSE[:shot_number])
    return GameState(shot_number=shot_number, **fields)


# Each row plays through both paths; a fault in the ABI (a record passed by
# value, the 64-bit seed, the step limit, the end's rollover) shows as a
# difference in the bytes.
SAME_AS_C = [
    ("exact draw", GameState(), DRAW, 0.0, 0, -1),
    ("draw with an error", GameState(), DRAW, 0.1, 12345678901234567890, -1),
    (
        "takeout into five stones",
        house_state(),
        Shot(vx=-0.06, vy=-3.6, curl=1),
        0.1,
        2**64 - 1,
        -1,
    ),
    (
        "the end's last stone",
        house_state(15, stones=HOUSE, current_end=3, turn_flag=1),
        DRAW,
        0.1,
        3,
        -1,
    ),
    ("a frame of the shot", house_state(), DRAW, 0.1, 99, 40),
]


@pytest.mark.parametrize(
    "name,state,shot,random,seed,steps", SAME_AS_C, ids=[r[0] for r in SAME_AS_C]
)
def test_simulate_equals_the_library_called_from_c(
    c_reference, name, state, shot, random, seed, steps
):
    result, c_state, c_played = c_reference.simulate(state, shot, random, seed, steps)
    assert result == 1
    before = state.copy()
    after, played = tarnwick.simulate(
        state, shot, random=random, seed=seed, steps=steps, return_played=True
    )
    assert after.to_bytes() == c_state.to_bytes()
    assert played == c_played
    assert state == before  # the argument is never changed


def test_seeds_decide_the_error():
    state = house_state()
    first = tarnwick.simulate(state, DRAW, random=0.1, seed=7)
    assert tarnwick.simulate(state, DRAW, random=0.1, seed=7) == first
    assert tarnwick.simulate(state, DRAW, random=0.1, seed=8) != first
    # Without a seed each call draws its own error, even within one second
    # (the library's clock seed would repeat it).
    played = {
        tuple(tarnwick.simulate(state, DRAW, random=0.1, return_played=True)[1]) for _ in range(5)
    }
    assert len(played) == 5


def test_step_limits_give_frames_and_then_the_position_at_rest():
    at_rest = tarnwick.simulate(GameState(), DRAW, random=0.1, seed=5)
    start = tarnwick.simulate(GameState(), DRAW, random=0.1, seed=5, steps=0)
    assert tuple(start.stones[0]) == (tarnwick.float32(2.375), tarnwick.float32(41.28))
    assert start.shot_number == 1
    moving = tarnwick.simulate(GameState(), DRAW, random=0.1, seed=5, steps=600)
    assert at_rest.stones[0].y < moving.stones[0].y < start.stones[0].y
    # A limit past the shot's end is no refusal: the stones have come to rest.
    assert tarnwick.simulate(GameState(), DRAW, random=0.1, seed=5, steps=5000) == at_rest


def mixed_batch(count):
    rng = np.random.default_rng(11)
    states = np.zeros(count, tarnwick.game_state_dtype())
    states["last_end"] = 10
    states["shot_number"] = rng.integers(0, 6, count)
    states["turn_flag"] = states["shot_number"] % 2
    states["current_end"] = rng.integers(0, 10, count)
    for k, (x, y) in enumerate(HOUSE):
        states["stones"][:, k] = np.where((k < states["shot_number"])[:, None], [x, y], 0)
    shots = np.zeros(count, tarnwick.shot_dtype())
    shots["vx"] = rng.normal(-0.08, 0.03, count)
    shots["vy"] = rng.choice([-2.95, -3.2, -3.6], count)
    shots["curl"] = rng.integers(0, 2, count)
    return states, shots


def test_a_batch_equals_single_calls():
    states, shots = mixed_batch(48)
    kept = states.copy(), shots.copy()
    seed = 2**64 - 20  # entry i plays seed + i modulo 2**64: this batch wraps round
    results, played = tarnwick.simulate_batch(
        states, shots, random=0.1, seed=seed, threads=2, return_played=True
    )
    for i in range(len(shots)):
        single, single_played = tarnwick.simulate(
            tarnwick.state_from_record(states[i]),
            tarnwick.shot_from_record(shots[i]),
            random=0.1,
            seed=(seed + i) % 2**64,
            return_played=True,
        )
        assert results[i].tobytes() == single.to_bytes(), i
        assert played[i].tobytes() == single_played.to_bytes(), i
    assert np.array_equal(states, kept[0]) and np.array_equal(shots, kept[1])
    one_thread = tarnwick.simulate_batch(states, shots, random=0.1, seed=seed, threads=1)
    assert one_thread.tobytes() == results.tobytes()
    # One position for every shot, and Shots given as a list.
    state = tarnwick.state_from_record(states[3])
    spread = tarnwick.simulate_batch(state, [DRAW, (0.05, -3.0, 1)], random=0.1, seed=40)
    assert tarnwick.state_from_record(spread[1]) == tarnwick.simulate(
        state, (0.05, -3.0, 1), random=0.1, seed=41
    )


REFUSALS = [
    ("shot_number", house_state(16), DRAW, {}),
    ("shot_number", GameState(shot_number=-1), DRAW, {}),
    ("current_end", GameState(current_end=10), DRAW, {}),
    ("stones[3]", house_state(4, stones=HOUSE[:3] + [(2.42, 4.95)]), DRAW, {}),
    ("shot", GameState(), Shot(vx=0.0, vy=-100.5, curl=0), {}),
    ("shot", GameState(), Shot(vx=math.nan, vy=-3.0, curl=0), {}),
    ("random", GameState(), DRAW, {"random": math.inf}),
    (
        "random",
        GameState(),
        DRAW,
        {"random": 1e38},
    ),  # the library's own refusal: the spread overflows
    ("steps", GameState(), DRAW, {"steps": -2}),
    ("seed", GameState(), DRAW, {"seed": 2**64}),
]


@pytest.mark.parametrize("field,state,shot,options", REFUSALS, ids=[r[0] for r in REFUSALS])
def test_refusals_raise_and_name_the_field(field, state, shot, options):
    with pytest.raises(RefusedError) as refused:
        tarnwick.simulate(state, shot, **options)
    assert refused.value.field == field
    if field == "steps":
        return
    # In a batch the same refusal names the entry, before anything is played.
    states = tarnwick.states_to_array([GameState(), GameState(), state])
    options.pop("steps", None)
    with pytest.raises(RefusedError) as refused:
        tarnwick.simulate_batch(states, [DRAW, DRAW, shot], **options)
    assert refused.value.field == field
    if field not in ("random", "seed"):
        assert refused.value.entry == 2


def test_what_the_library_takes_is_not_refused():
    # Overlapping stones of which one lies outside the stored playing area, or
    # at an index not yet delivered, are no stones to the library.
    short_of_the_hog = GameState(shot_number=2, stones=[(2.375, 11.2), (2.38, 11.21)])
    not_delivered = GameState(shot_number=1, stones=[(2.375, 4.88), (2.375, 4.88)])
    for state in (short_of_the_hog, not_delivered):
        tarnwick.simulate(state, DRAW)
    tarnwick.simulate_batch(
        tarnwick.states_to_array([short_of_the_hog, not_delivered]), [DRAW, DRAW]
    )
    tarnwick.simulate(GameState(), Shot(vx=0.0, vy=-100.0, curl=0))  # the limit itself


def test_the_error_model_is_the_documented_one():
    sigma_x, sigma_y = tarnwick.delivery_spread(0.1)
    assert round(sigma_x, 5) == 0.00813 and round(sigma_y, 5) == 0.00407
    count = 3000
    shots = np.repeat(tarnwick.shots_to_array([DRAW]), count)
    _, played = tarnwick.simulate_batch(GameState(), shots, random=0.1, seed=1, return_played=True)
    error_x = played["vx"].astype(float) - DRAW.vx
    error_y = played["vy"].astype(float) - DRAW.vy
    assert abs(error_x.std() / sigma_x - 1) < 0.06 and abs(error_y.std() / sigma_y - 1) < 0.06
    assert abs(error_x.mean()) < 0.1 * sigma_x and abs(error_y.mean()) < 0.1 * sigma_y
    assert np.abs(error_x).max() <= 6 * sigma_x and np.abs(error_y).max() <= 6 * sigma_y
    assert np.all(played["curl"] == 0)


def test_planning_and_its_refusals():
    assert (
        tarnwick.create_shot(tarnwick.TEE_X, tarnwick.TEE_Y, 0).to_bestshot()
        == "BESTSHOT -0.099074 -2.955977 0"
    )
    hit = tarnwick.create_hit_shot(2.375, 4.88, 12, curl=1)
    assert (
        hit.curl == 1 and hit.vy < tarnwick.create_shot(2.375, 4.88, 1).vy
    )  # harder than the draw
    with pytest.raises(RefusedError) as refused:
        tarnwick.create_shot(2.0, 90.0)
    assert refused.value.field == "y"
    with pytest.raises(RefusedError) as refused:
        tarnwick.create_hit_shot(math.nan, 5.0, 12)
    assert refused.value.field == "x"
    with pytest.raises(RefusedError) as refused:
        tarnwick.create_hit_shot(2.375, 41.28, 5)
    assert refused.value.field == "y"
    with pytest.raises(tarnwick.WeightTooSmallError) as short:
        tarnwick.create_hit_shot(2.375, 4.88, 3)
    assert math.isfinite(short.value.untuned.vy) and short.value.field == "weight"


def run_python(code, **environment):
    env = dict(os.environ, **environment)
    return subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, env=env)


def test_a_missing_library_says_where_it_was_looked_for(tmp_path):
    code = "import tarnwick; tarnwick.simulate(tarnwick.GameState(), (0.0, -3.0, 0))"
    done = run_python(code, TARNWICK_LIBRARY=str(tmp_path / "libTarnwick.so"))
    assert done.returncode != 0
    assert "LibraryNotFoundError" in done.stderr and str(tmp_path / "libTarnwick.so") in done.stderr
    assert "no such file" in done.stderr
    # A library without the entry points is refused by name.
    done = run_python(code, TARNWICK_LIBRARY="/lib/x86_64-linux-gnu/libm.so.6")
    if os.path.exists("/lib/x86_64-linux-gnu/libm.so.6"):
        assert "lacks Simulation" in done.stderr
    # A copy of the package with no library beside it and no build folder
    # lists all three places.
    copy = tmp_path / "elsewhere" / "python"
    copy.mkdir(parents=True)
    shutil.copytree(os.path.dirname(tarnwick.__file__), str(copy / "tarnwick"))
    env = {k: v for k, v in os.environ.items() if k != "TARNWICK_LIBRARY"}
    env["PYTHONPATH"] = str(copy)
    env["LD_LIBRARY_PATH"] = ""
    done = subprocess.run(
        [sys.executable, "-c", code], capture_output=True, text=True, env=env, cwd=tmp_path
    )
    for place in (
        "next to the package",
        "the repository's build folder",
        "the system's library search",
    ):
        assert place in done.stderr


def test_on_windows_the_dll_is_also_found_on_path(tmp_path, monkeypatch):
    # Python 3.8 and later load a DLL named without a folder from the
    # interpreter's and the system's folders only, so the package searches PATH.
    from tarnwick import _library

    monkeypatch.delenv("TARNWICK_LIBRARY", raising=False)
    monkeypatch.setattr(sys, "platform", "win32")
    (tmp_path / "bin").mkdir()
    (tmp_path / "bin" / "Tarnwick.dll").write_bytes(b"")
    search = ["", str(tmp_path / "missing"), str(tmp_path), str(tmp_path / "bin")]
    monkeypatch.setenv("PATH", os.pathsep.join(search))
    places = _library.candidate_paths()
    assert [how for _, how in places] == [
        "next to the package",
        "the repository's build folder",
        "on PATH",
        "the system's library search",
    ]
    bits = "win64" if struct.calcsize("P") == 8 else "win32"
    assert places[1][0].endswith(
        os.path.join("build-windows", "Tarnwick-" + bits, "bin", "Tarnwick.dll")
    )
    assert places[2][0] == str(tmp_path / "bin" / "Tarnwick.dll")
    assert places[3][0] == "Tarnwick.dll"
    # Not on PATH: the system's search is what is left.
    monkeypatch.setenv("PATH", str(tmp_path))
    assert "on PATH" not in [how for _, how in _library.candidate_paths()]


def test_the_package_works_without_numpy_but_for_batches():
    code = (
        "import sys; sys.modules['numpy'] = None\n"
        "import tarnwick\n"
        "after = tarnwick.simulate(tarnwick.GameState(), tarnwick.create_shot(2.375, 4.88))\n"
        "assert after.shot_number == 1\n"
        "try:\n"
        "    tarnwick.simulate_batch(after, [(0.0, -3.0, 0)])\n"
        "except ImportError as error:\n"
        "    print(error)\n"
    )
    done = run_python(code)
    assert done.returncode == 0, done.stderr
    assert "python3-numpy" in done.stdout
