"""Who counts, and how many, in the end whose stones lie on the sheet.

The library's end_scores count for the side that delivered first in the end
(the even-indexed stones), and after the sixteenth stone it has already moved
the position on to shot 0 of the next end, with the finished end's stones
still in the record. Here both are handled once:

- the stones of "the end on the sheet" are those below shot_number, or all
  sixteen when shot_number is 0 and stones still lie (the end just finished);
- scores are for colours (RED, YELLOW), as the server's SCORE gives them;
- the count is made from the stones with the library's own arithmetic, so it
  holds for positions built from the server's messages too (whose end_scores
  are all 0) and equals the library's entry for positions it wrote.

The colour of the even-indexed stones follows from turn_flag and
shot_number: the side to deliver stone n owns the stones of n's parity. After
the sixteenth stone the library leaves turn_flag at the colour that delivered
first in the finished end (a toggle), which keeps this true; the server then
chooses who delivers first in the next end (the side that scored) and says so
in its next SETSTATE.
"""

import collections
import math

from . import sheet
from .records import RED, STONES_PER_END, YELLOW, float32

HouseStone = collections.namedtuple("HouseStone", "index colour x y distance counts")
HouseStone.__doc__ = """A stone within the counting distance of the tee.

index     its place in GameState.stones (0 to 15)
colour    RED or YELLOW
x, y      its centre, in metres
distance  from its centre to the tee, in metres (single precision, as the library)
counts    True when it scores: its side has the nearest stone and this one is
          nearer than the other side's nearest
"""

_TEE_X = float32(sheet.TEE_X)
_TEE_Y = float32(sheet.TEE_Y)
_COUNTING = float32(sheet.COUNTING_RADIUS)


def _colour_of_even_stones(shot_number, turn_flag):
    # The side to deliver stone n owns the stones of n's parity.
    turn = YELLOW if turn_flag != 0 else RED
    return turn ^ (shot_number & 1)


def _stones_of_the_end(state):
    """Indexes of the entries that belong to the end on the sheet."""
    if state.shot_number == 0 and any(s.in_play for s in state.stones):
        return range(STONES_PER_END)  # the sixteenth stone has been played
    return range(max(0, min(state.shot_number, STONES_PER_END)))


def _distance_to_tee(x, y):
    # As the library: differences in single precision, the root in double,
    # rounded to single.
    dx = float32(x - _TEE_X)
    dy = float32(y - _TEE_Y)
    return float32(math.sqrt(dx * dx + dy * dy))


def stones_in_house(state):
    """The stones of the end on the sheet within the counting distance (1.98 m)
    of the tee, as HouseStone tuples, nearest first."""
    even = _colour_of_even_stones(state.shot_number, state.turn_flag)
    near = []
    for k in _stones_of_the_end(state):
        stone = state.stones[k]
        distance = _distance_to_tee(stone.x, stone.y)
        if distance < _COUNTING:
            near.append((k, even if k % 2 == 0 else 1 - even, stone.x, stone.y, distance))
    near.sort(key=lambda stone: (stone[4], stone[0]))
    nearest = {RED: _COUNTING, YELLOW: _COUNTING}
    for stone in near:
        nearest[stone[1]] = min(nearest[stone[1]], stone[4])
    return [HouseStone(k, colour, x, y, d, d < nearest[1 - colour]) for k, colour, x, y, d in near]


def end_score(state, side):
    """Points of `side` (RED or YELLOW) in the end on the sheet, as the stones lie.

    Positive when `side` counts, negative when the other side does, 0 when
    nobody does (no stone within 1.98 m, or the two nearest equally near).
    After the sixteenth stone it is the end's result, the value SCORE gives
    that end with side RED. `state` may also be an array of
    game_state_dtype(): then the result is an array, one score per entry.
    """
    if side not in (RED, YELLOW):
        raise ValueError("side is RED (0) or YELLOW (1), not %r" % (side,))
    if not hasattr(state, "stones") or not hasattr(state, "turn_flag"):
        return _end_scores_of_array(state, side)
    points = sum(
        1 if stone.colour == side else -1 for stone in stones_in_house(state) if stone.counts
    )
    return points


def _end_scores_of_array(states, side):
    import numpy as np

    f32 = np.float32
    stones = states["stones"]
    shot_number = states["shot_number"].astype(np.int64)
    in_play = (stones[:, :, 0] != 0) | (stones[:, :, 1] != 0)
    finished = (shot_number == 0) & in_play.any(axis=1)
    count = np.where(finished, STONES_PER_END, np.clip(shot_number, 0, STONES_PER_END))
    of_the_end = np.arange(STONES_PER_END) < count[:, None]

    dx = (stones[:, :, 0] - f32(_TEE_X)).astype(np.float64)
    dy = (stones[:, :, 1] - f32(_TEE_Y)).astype(np.float64)
    distance = np.sqrt(dx * dx + dy * dy).astype(f32)
    near = of_the_end & (distance < f32(_COUNTING))
    far = np.where(near, distance, f32(_COUNTING))
    nearest_even = far[:, 0::2].min(axis=1)
    nearest_odd = far[:, 1::2].min(axis=1)
    even_counts = (near[:, 0::2] & (distance[:, 0::2] < nearest_odd[:, None])).sum(axis=1)
    odd_counts = (near[:, 1::2] & (distance[:, 1::2] < nearest_even[:, None])).sum(axis=1)
    for_even = even_counts - odd_counts

    turn = (states["turn_flag"] != 0).astype(np.int64)
    even_colour = turn ^ (shot_number & 1)
    return np.where(even_colour == side, for_even, -for_even)
