"""Playing and planning shots with the library.

Every argument is checked here first, against the limits documented in
tarnwick.h, so that a refusal says which field is wrong; a refusal by the
library that these checks did not foresee becomes a RefusedError too. Nothing
returns a silent 0.

Delivery errors always come from a seed: the library's own Simulation seeds
its generator from the clock in whole seconds (every call in the same second
gets the same error), so simulate() uses SimulationSeeded, drawing a fresh
seed when none is given.
"""

import ctypes
import math
import os

from . import sheet
from ._library import library
from .errors import RefusedError, TarnwickError, WeightTooSmallError
from .records import (
    STONES_PER_END,
    SCORED_ENDS,
    GameState,
    Shot,
    ShotPos,
    float32,
    game_state_dtype,
    shot_dtype,
    shots_to_array,
    states_to_array,
)

_INT32_MAX = 2**31 - 1
_SEED_LIMIT = 2**64

# The limits as the library holds them (single precision).
_MAX_SPEED = float32(sheet.MAX_SHOT_SPEED)
_MIN_DISTANCE = float32(sheet.MIN_STONE_DISTANCE)
_STORED = tuple(
    float32(v)
    for v in (sheet.STORED_MIN_X, sheet.STORED_MAX_X, sheet.STORED_MIN_Y, sheet.STORED_MAX_Y)
)
_TARGET = tuple(
    float32(v)
    for v in (sheet.TARGET_MIN_X, sheet.TARGET_MAX_X, sheet.TARGET_MIN_Y, sheet.TARGET_MAX_Y)
)


def new_seed():
    """A fresh 64-bit seed from the operating system."""
    return int.from_bytes(os.urandom(8), "little")


def _checked_seed(seed):
    if seed is None:
        return new_seed()
    if isinstance(seed, bool) or not isinstance(seed, int) or not 0 <= seed < _SEED_LIMIT:
        raise RefusedError("seed", "%r is no whole number from 0 to 2**64 - 1" % (seed,))
    return seed


def _as_float32(value):
    """`value` as the library's float, NaN for what is no number or too large."""
    try:
        return float32(float(value))
    except (OverflowError, TypeError, ValueError):
        return math.nan


def _checked_random(random):
    value = _as_float32(random)
    if not math.isfinite(value):
        raise RefusedError("random", "%r is not a finite number of metres" % (random,))
    return value


def _checked_count(name, value, low):
    if isinstance(value, bool) or not isinstance(value, int) or not low <= value <= _INT32_MAX:
        raise RefusedError(name, "%r is no whole number from %d to %d" % (value, low, _INT32_MAX))
    return value


def _as_shot(shot):
    if isinstance(shot, Shot):
        return shot
    vx, vy, curl = shot
    return Shot(vx=vx, vy=vy, curl=curl)


def _speed_refusal(vx, vy):
    """Why the library refuses a delivery of these velocities (float32), or None."""
    if not (math.isfinite(vx) and math.isfinite(vy)):
        return "(%r, %r) is not finite" % (vx, vy)
    if vx * vx + vy * vy > _MAX_SPEED * _MAX_SPEED:
        return "%.6g m/s is faster than the library's limit of %g m/s" % (
            math.sqrt(vx * vx + vy * vy),
            _MAX_SPEED,
        )
    return None


def _in_stored_area(x, y):
    low_x, high_x, low_y, high_y = _STORED
    return low_x < x < high_x and low_y < y < high_y


def _state_refusal(state):
    """(field, reason) when the library would refuse the position, else None."""
    n = state.shot_number
    if not 0 <= n < STONES_PER_END:
        reason = "%d is outside 0 to 15" % n
        if n == STONES_PER_END:
            reason += (
                " (the end is complete: after its sixteenth stone the library moves"
                " the position on to shot 0 of the next end)"
            )
        return "shot_number", reason
    if not 0 <= state.current_end < SCORED_ENDS:
        return "current_end", "%d is outside 0 to 9 (a game has ten ends at most)" % (
            state.current_end
        )
    placed = [(k, s.x, s.y) for k, s in enumerate(state.stones[:n]) if _in_stored_area(s.x, s.y)]
    limit = _MIN_DISTANCE * _MIN_DISTANCE
    for j in range(1, len(placed)):
        for i in range(j):
            dx = placed[j][1] - placed[i][1]
            dy = placed[j][2] - placed[i][2]
            if dx * dx + dy * dy < limit:
                return "stones[%d]" % placed[j][0], (
                    "its centre lies %.4f m from that of stones[%d], closer than %g m"
                    " (stones overlapping by more than half their width)"
                    % (math.sqrt(dx * dx + dy * dy), placed[i][0], _MIN_DISTANCE)
                )
    return None


def check_state(state):
    """Raises RefusedError, naming the field, for a position the library refuses."""
    if not isinstance(state, GameState):
        raise TypeError("expected a GameState, not %s" % type(state).__name__)
    refusal = _state_refusal(state)
    if refusal:
        raise RefusedError(*refusal)


def _check_delivery(shot):
    refusal = _speed_refusal(shot.vx, shot.vy)
    if refusal:
        raise RefusedError("shot", refusal)


def simulate(state, shot, random=0.0, seed=None, steps=-1, return_played=False):
    """Plays `shot` on `state` and returns the position after it (a new GameState).

    random  the delivery error as an offset at the tee in metres (the server's
            --random; 0 plays the shot exactly).
    seed    the error's seed (0 to 2**64 - 1): the same seed, the same error.
            None draws a fresh seed for this call.
    steps   play at most this many engine steps of 1/60 s (a frame of the
            shot); -1 plays until the stones rest. A limit beyond the shot's
            end gives the position at rest.
    return_played  also return the delivery played, error included: then the
            result is (state, played).

    `state` is never changed. After the sixteenth stone the position has moved
    on to shot 0 of the next end (see end_score). Raises RefusedError for what
    the library cannot play.
    """
    lib = library()
    check_state(state)
    shot = _as_shot(shot)
    _check_delivery(shot)
    random = _checked_random(random)
    seed = _checked_seed(seed)
    if isinstance(steps, bool) or not isinstance(steps, int) or not -1 <= steps <= _INT32_MAX:
        raise RefusedError("steps", "%r is neither -1 nor a number of steps from 0" % (steps,))

    after = state.copy()
    # The library writes the delivery played whenever it played the shot, so a
    # delivery still unwritten afterwards tells a refusal from a shot that had
    # ended within the step limit.
    played = Shot(vx=math.nan, vy=math.nan, curl=0)
    done = lib.SimulationSeeded(
        ctypes.byref(after), shot, random, ctypes.byref(played), steps, seed
    )
    if not done:
        if math.isnan(played.vx):
            raise _unforeseen_refusal(random)
        after = state.copy()
        done = lib.SimulationSeeded(
            ctypes.byref(after), shot, random, ctypes.byref(played), -1, seed
        )
        if not done:
            raise TarnwickError("the library played the shot once and refused it the second time")
    return (after, played) if return_played else after


def _unforeseen_refusal(random, entry=None):
    if random != 0.0:
        return RefusedError(
            "random",
            "the library refused the delivery played with an error of random size %r: it"
            " is not finite or faster than %g m/s" % (random, _MAX_SPEED),
            entry,
        )
    return RefusedError(
        "state", "the library refused the shot for a reason not checked here", entry
    )


def create_shot(x, y, curl=0):
    """The delivery that comes to rest on (x, y) in metres (a draw), as a Shot.

    curl 0 bends the path towards +x, 1 towards -x; the planner aims off to
    allow for it. Raises RefusedError for a target outside the planning area.
    """
    target = _checked_target(x, y, curl)
    result = Shot()
    if not library().CreateShot(target, ctypes.byref(result)):
        raise RefusedError(
            "target", "the draw to %r would be faster than %g m/s" % (target, _MAX_SPEED)
        )
    return result


def create_hit_shot(x, y, weight, curl=0):
    """A delivery whose path passes through (x, y) at the given weight, as a Shot.

    The weight says where the delivery would stop on an empty sheet: 0 the hog
    line, 4 the front of the house, 7 the tee line, 10 the back line, 16 and
    more 9.12 m beyond it (so 12 to 16 take a stone out). Raises
    WeightTooSmallError (with the untuned delivery) when the stone would stop
    short of the target, RefusedError for a target the library cannot aim at.
    """
    target = _checked_target(x, y, curl)
    weight32 = _as_float32(weight)
    if not math.isfinite(weight32):
        raise RefusedError("weight", "%r is not a finite number" % (weight,))
    result = Shot(vx=math.nan, vy=math.nan, curl=0)
    if library().CreateHitShot(target, weight32, ctypes.byref(result)):
        return result
    if math.isnan(result.vx):
        raise RefusedError(
            "y",
            "%r lies level with the delivery point (y 41.28), or so nearly that the"
            " delivery would be faster than %g m/s" % (y, _MAX_SPEED),
        )
    raise WeightTooSmallError(weight, result)


def _checked_target(x, y, curl):
    low_x, high_x, low_y, high_y = _TARGET
    values = {}
    for name, value, low, high in (("x", x, low_x, high_x), ("y", y, low_y, high_y)):
        value32 = _as_float32(value)
        if not low <= value32 <= high:
            raise RefusedError(
                name, "%r lies outside the planning area (%g to %g m)" % (value, low, high)
            )
        values[name] = value32
    return ShotPos(x=values["x"], y=values["y"], curl=curl)


def delivery_spread(random):
    """(sigma_x, sigma_y) in m/s: the spread of the delivery error of size `random`.

    Each axis gets sigma times the sum of twelve uniform numbers less six
    (close to normal, never beyond 6 sigma): sigma is the difference between
    the straight deliveries that stop on the tee and on the tee moved by
    `random` in x and in y. Computed in the library's own arithmetic.
    """
    random = _checked_random(random)
    tee_x, tee_y = _straight_draw(float32(sheet.TEE_X), float32(sheet.TEE_Y))
    far_x, far_y = _straight_draw(
        float32(float32(sheet.TEE_X) + random), float32(float32(sheet.TEE_Y) + random)
    )
    return float32(far_x - tee_x), float32(far_y - tee_y)


def _straight_draw(x, y):
    # The velocity that stops a stone from the delivery point on (x, y) in a
    # straight line, in the library's single-precision steps.
    dx = float32(x - float32(sheet.DELIVERY_X))
    dy = float32(y - float32(sheet.DELIVERY_Y))
    length = float32(math.sqrt(dx * dx + dy * dy))
    if length == 0.0:
        return 0.0, 0.0
    speed = float32(math.sqrt(2.0 * float32(sheet.ICE_DECELERATION) * length))
    return float32(speed * dx / length), float32(speed * dy / length)


# Batches ------------------------------------------------------------------


def _numpy():
    try:
        import numpy
    except ImportError as error:
        raise ImportError(
            "simulate_batch needs numpy: install Debian's python3-numpy (and make a venv"
            " with --system-site-packages) or 'pip install numpy'"
        ) from error
    return numpy


def _as_array(np, values, dtype, convert, what):
    if isinstance(values, np.ndarray):
        if values.dtype != dtype:
            raise TypeError(
                "%s: an array of dtype %s is needed (tarnwick.%s()), not %s"
                % (
                    what,
                    dtype,
                    "game_state_dtype" if what == "states" else "shot_dtype",
                    values.dtype,
                )
            )
        return np.ascontiguousarray(values.reshape(-1))
    if isinstance(values, GameState):
        values = [values]
    elif isinstance(values, Shot):
        values = [values]
    return convert(values)


def simulate_batch(states, shots, random=0.0, seed=None, threads=0, return_played=False):
    """Plays many shots in one call of the library, on several threads.

    states  an array of game_state_dtype() with one position per shot, or one
            GameState (or a one-entry array) for all of them. Arrays of the
            exact dtype pass to the library without a copy.
    shots   an array of shot_dtype(), or a sequence of Shots or (vx, vy, curl).
    random  the delivery error, as for simulate.
    seed    entry i is played with seed + i (modulo 2**64), so that entry i
            equals simulate(states[i], shots[i], random, seed + i); None draws
            a fresh seed.
    threads how many threads to play on, the calling one included; 0 means
            one per core. The results never depend on it.

    Returns a new array of game_state_dtype(), and with return_played also the
    array of the deliveries played: (results, played). Raises RefusedError,
    naming the first refused entry, before anything is played.
    """
    np = _numpy()
    lib = library()
    state_dtype = game_state_dtype()
    shots = _as_array(np, shots, shot_dtype(), shots_to_array, "shots")
    states = _as_array(np, states, state_dtype, states_to_array, "states")
    count = len(shots)
    if count > _INT32_MAX:
        raise RefusedError("shots", "%d entries are more than one call can take" % count)
    if len(states) == 1 and count != 1:
        refusal = _state_refusal(GameState.from_bytes(states.tobytes()))
        if refusal:
            raise RefusedError(*refusal)
        states = np.repeat(states, count)
    elif len(states) != count:
        raise ValueError(
            "%d positions for %d shots: give one position, or one per shot" % (len(states), count)
        )
    else:
        _check_state_array(np, states)
    _check_shot_array(np, shots)
    random = _checked_random(random)
    seed = _checked_seed(seed)
    threads = _checked_count("threads", threads, 0)

    results = np.empty(count, dtype=state_dtype)
    played = np.empty(count, dtype=shot_dtype())
    refused = lib.SimulationBatch(
        states.ctypes.data,
        shots.ctypes.data,
        count,
        random,
        seed,
        results.ctypes.data,
        played.ctypes.data,
        threads,
    )
    if refused < 0:
        raise TarnwickError("SimulationBatch refused its arguments")
    if refused > 0:
        # A refused entry's result is a copy of its position; a played one has
        # moved on by a stone.
        same = (results["shot_number"] == states["shot_number"]) & (
            results["current_end"] == states["current_end"]
        )
        raise _unforeseen_refusal(random, int(np.flatnonzero(same)[0]))
    return (results, played) if return_played else results


def _first_bad(np, bad, field, describe):
    where = np.flatnonzero(bad)
    if len(where):
        first = int(where[0])
        reason = describe(first)
        if len(where) > 1:
            reason += " (%d entries refused in all)" % len(where)
        raise RefusedError(field, reason, first)


def _check_state_array(np, states):
    for field, limit in (("shot_number", STONES_PER_END), ("current_end", SCORED_ENDS)):
        values = states[field]
        _first_bad(
            np,
            (values < 0) | (values >= limit),
            field,
            lambda i: "%d is outside 0 to %d" % (values[i], limit - 1),
        )
    # Deep overlaps, a block at a time so that the pairwise distances of a
    # large batch need little memory; the arithmetic is the library's.
    first, second = np.triu_indices(STONES_PER_END, 1)
    low_x, high_x, low_y, high_y = _STORED
    limit = _MIN_DISTANCE * _MIN_DISTANCE
    block = 8192
    for start in range(0, len(states), block):
        part = states[start : start + block]
        x = part["stones"][:, :, 0].astype(np.float64)
        y = part["stones"][:, :, 1].astype(np.float64)
        placed = (
            (x > low_x)
            & (x < high_x)
            & (y > low_y)
            & (y < high_y)
            & (np.arange(STONES_PER_END) < part["shot_number"][:, None])
        )
        dx = x[:, second] - x[:, first]
        dy = y[:, second] - y[:, first]
        close = (dx * dx + dy * dy < limit) & placed[:, first] & placed[:, second]
        entries = np.flatnonzero(close.any(axis=1))
        if len(entries):
            entry = int(entries[0])
            pair = int(np.flatnonzero(close[entry])[0])
            raise RefusedError(
                "stones[%d]" % second[pair],
                "its centre lies closer than %g m to that of stones[%d]"
                " (stones overlapping by more than half their width)"
                % (_MIN_DISTANCE, first[pair]),
                start + entry,
            )


def _check_shot_array(np, shots):
    vx = shots["vx"].astype(np.float64)
    vy = shots["vy"].astype(np.float64)
    with np.errstate(invalid="ignore", over="ignore"):
        good = np.isfinite(vx) & np.isfinite(vy) & (vx * vx + vy * vy <= _MAX_SPEED * _MAX_SPEED)
    _first_bad(np, ~good, "shot", lambda i: _speed_refusal(float(vx[i]), float(vy[i])))
