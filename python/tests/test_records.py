"""The records against the C layout: offsets, bytes, and the C compiler's own view."""

import ctypes
import random
import re

import numpy as np
import pytest

import tarnwick
from tarnwick import GameState, Shot, ShotPos


def test_layouts_match_the_header_byte_for_byte():
    assert ctypes.sizeof(GameState) == 184
    assert ctypes.sizeof(Shot) == ctypes.sizeof(ShotPos) == 12
    offsets = {name: getattr(GameState, name).offset for name, _ in GameState._fields_}
    assert offsets == {
        "shot_number": 0,
        "current_end": 4,
        "last_end": 8,
        "end_scores": 12,
        "turn_flag": 52,
        "stones": 56,
    }
    assert [getattr(Shot, f).offset for f in ("vx", "vy", "curl")] == [0, 4, 8]
    # The numpy dtypes lie over the same bytes, so arrays pass to the library as they are.
    state_dtype = tarnwick.game_state_dtype()
    assert state_dtype.itemsize == 184
    assert {name: state_dtype.fields[name][1] for name in state_dtype.names} == offsets
    assert tarnwick.shot_dtype().itemsize == 12


def distinctive_state(seed):
    rng = random.Random(seed)
    return GameState(
        shot_number=rng.randint(-5, 20),
        current_end=2**31 - 1,
        last_end=-(2**31),
        end_scores=[rng.randint(-8, 8) for _ in range(10)],
        turn_flag=rng.randint(0, 3),
        stones=[(rng.uniform(-50, 50), rng.uniform(-50, 50)) for _ in range(16)],
    )


@pytest.mark.parametrize("seed", range(3))
def test_records_round_trip_through_the_c_layout(c_reference, seed):
    state = distinctive_state(seed)
    fields, stones = c_reference.fields(state)
    assert int(fields["shotNumber"]) == state.shot_number
    assert int(fields["currentEnd"]) == state.current_end
    assert int(fields["lastEnd"]) == state.last_end
    assert [int(v) for v in fields["endScores"].split()] == list(state.end_scores)
    assert int(fields["turnFlag"]) == state.turn_flag
    assert stones == [tuple(stone) for stone in state.stones]
    assert fields["sizes"] == "184 12 12"

    assert GameState.from_bytes(state.to_bytes()) == state
    array = tarnwick.states_to_array([state, GameState()])
    assert array.tobytes() == state.to_bytes() + GameState().to_bytes()
    assert tarnwick.state_from_record(array[0]) == state
    assert array[0]["stones"][3, 1] == np.float32(state.stones[3].y)


def test_fields_refuse_what_the_record_cannot_hold():
    with pytest.raises(tarnwick.RefusedError) as refused:
        GameState(shot_number=2**31)
    assert refused.value.field == "shot_number"
    with pytest.raises(tarnwick.RefusedError, match=r"end_scores\[2\]"):
        GameState(end_scores=[0, 0, 2**40])
    with pytest.raises(tarnwick.RefusedError, match="at most 16"):
        GameState(stones=[(2.0, 5.0)] * 17)
    with pytest.raises(tarnwick.RefusedError, match="curl"):
        Shot(vx=0.0, vy=-3.0, curl=-(2**31) - 1)
    # A misspelt field must not pass silently as a new attribute.
    state = GameState()
    with pytest.raises(AttributeError, match="shotnumber"):
        state.shotnumber = 3
    with pytest.raises(TypeError):
        state.shot_number = 2.5
    with pytest.raises(ValueError, match="184 bytes"):
        GameState.from_bytes(b"\0" * 183)


def test_repr_is_readable_and_exact():
    state = GameState(shot_number=2, turn_flag=1, stones=[(2.375, 4.88), (0.0, 0.0)])
    assert repr(state) == (
        "GameState(shot_number=2, current_end=0, last_end=10, turn_flag=1 (yellow), "
        "end_scores=[0, 0, 0, 0, 0, 0, 0, 0, 0, 0], stones={0: (2.375, 4.88)})"
    )
    assert state.stones[0] == (2.375, 4.88)
    assert state.stones_in_play() == {0: (np.float32(2.375), np.float32(4.88))}
    # Shortest text, yet it reads back as the very same float32.
    rng = random.Random(7)
    for _ in range(300):
        shot = Shot(vx=rng.uniform(-1, 1), vy=rng.uniform(-5, 0) * 10 ** rng.randint(-8, 2), curl=1)
        text = repr(shot)
        assert eval(text, {"Shot": Shot}) == shot, text
        for number in re.findall(r"v[xy]=([^,]+)", text):
            mantissa = number.split("e")[0].replace("-", "").replace(".", "").lstrip("0")
            assert len(mantissa) <= 9, text
