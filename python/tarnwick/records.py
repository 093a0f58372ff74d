"""The library's records, laid out byte for byte as in tarnwick.h.

GameState (184 bytes), Shot (the header's ShotVec, 12 bytes) and ShotPos (12
bytes) are ctypes structures, so they pass straight to the library and to any
ctypes code of your own; the field names are the header's in snake_case
(shotNumber is shot_number). Coordinates are single-precision floats: a value
assigned is rounded to the nearest float32, as the library would see it.

For batches the same layouts exist as numpy structured dtypes
(game_state_dtype(), shot_dtype()), whose arrays the library reads in place.
"""

import ctypes
import functools
import math
import struct

from .errors import RefusedError

_INT32_MIN = -(2**31)
_INT32_MAX = 2**31 - 1

RED = 0
"""turn_flag and colour of the side that delivers first in a game's first end."""
YELLOW = 1
"""turn_flag and colour of the other side."""

STONES_PER_END = 16
SCORED_ENDS = 10


def float32(value):
    """`value` rounded to single precision, as the library stores it."""
    return struct.unpack("<f", struct.pack("<f", value))[0]


def short_float(value):
    """The shortest decimal text that reads back as the same float32."""
    if not math.isfinite(value):
        return repr(value)
    for digits in range(1, 10):
        text = repr(float("%.*g" % (digits, value)))
        if float32(float(text)) == value:
            return text
    return repr(value)


def _checked_int(field, value):
    if isinstance(value, bool) or not isinstance(value, int):
        raise TypeError("%s must be a whole number, not %r" % (field, value))
    if not _INT32_MIN <= value <= _INT32_MAX:
        raise RefusedError(field, "%d does not fit the record's 32-bit field" % value)
    return value


class _Record(ctypes.Structure):
    """What the three records share: checked fields, equality by bytes, copies."""

    _int_fields = ()

    def __setattr__(self, name, value):
        if name not in self._field_names():
            raise AttributeError(
                "%s has no field %r (fields: %s)"
                % (type(self).__name__, name, ", ".join(self._field_names()))
            )
        if name in self._int_fields:
            value = _checked_int(name, value)
        super().__setattr__(name, value)

    @classmethod
    def _field_names(cls):
        return [field[0] for field in cls._fields_]

    def to_bytes(self):
        """The record as the library sees it in memory."""
        return bytes(memoryview(self).cast("B"))

    @classmethod
    def from_bytes(cls, data):
        """A record from its bytes (exactly sizeof bytes)."""
        if len(data) != ctypes.sizeof(cls):
            raise ValueError(
                "%s needs %d bytes, not %d" % (cls.__name__, ctypes.sizeof(cls), len(data))
            )
        return cls.from_buffer_copy(data)

    def copy(self):
        return type(self).from_buffer_copy(self)

    def __eq__(self, other):
        if type(other) is not type(self):
            return NotImplemented
        return self.to_bytes() == other.to_bytes()

    __hash__ = None

    def __reduce__(self):
        return (type(self).from_bytes, (self.to_bytes(),))


class StonePosition(ctypes.Structure):
    """One stone's centre in metres; (0, 0) means no stone."""

    _fields_ = [("x", ctypes.c_float), ("y", ctypes.c_float)]

    def __iter__(self):
        return iter((self.x, self.y))

    def __eq__(self, other):
        # Against a pair of Python floats, as the record would hold them.
        try:
            x, y = other
            return (self.x, self.y) == (float32(x), float32(y))
        except (TypeError, ValueError, OverflowError):
            return NotImplemented

    __hash__ = None

    @property
    def in_play(self):
        """False for the (0, 0) of a stone that is not on the sheet."""
        return self.x != 0.0 or self.y != 0.0

    def __repr__(self):
        return "(%s, %s)" % (short_float(self.x), short_float(self.y))


class GameState(_Record):
    """A match position (184 bytes).

    shot_number  stones delivered in the current end, 0 to 15 before a shot
                 (also the index of the stone to come)
    current_end  the end, counted from 0
    last_end     the number of ends of the game (the library never reads it)
    end_scores   10 signed results: n > 0 the side with the even-indexed stones
                 (the side that delivered first in that end) counts n stones,
                 n < 0 the other side; the current end's entry is rewritten
                 after every shot. Not the sign of SCORE (positive for red)!
    turn_flag    the colour to deliver next: 0 red, non-zero yellow
    stones       16 stone positions; stone k is the (k+1)-th of the end, even
                 indexes for the side that delivers first
    """

    _fields_ = [
        ("shot_number", ctypes.c_int32),
        ("current_end", ctypes.c_int32),
        ("last_end", ctypes.c_int32),
        ("end_scores", ctypes.c_int32 * SCORED_ENDS),
        ("turn_flag", ctypes.c_int32),
        ("stones", StonePosition * STONES_PER_END),
    ]
    _int_fields = ("shot_number", "current_end", "last_end", "turn_flag")

    def __init__(self, **fields):
        # A fresh position is the empty sheet of a ten-end game, as a client
        # clears it; fields given override that.
        super().__init__()
        self.last_end = SCORED_ENDS
        for name, value in fields.items():
            setattr(self, name, value)

    def __setattr__(self, name, value):
        if name == "end_scores" and not isinstance(value, ctypes.Array):
            value = _int_array("end_scores", value, SCORED_ENDS)
        elif name == "stones" and not isinstance(value, ctypes.Array):
            value = _stone_array(value)
        super().__setattr__(name, value)

    def stones_in_play(self):
        """{index: (x, y)} of the entries that are not (0, 0)."""
        return {k: tuple(s) for k, s in enumerate(self.stones) if s.in_play}

    def __repr__(self):
        colour = "red" if self.turn_flag == 0 else "yellow"
        stones = ", ".join("%d: %r" % (k, s) for k, s in enumerate(self.stones) if s.in_play)
        return (
            "GameState(shot_number=%d, current_end=%d, last_end=%d, turn_flag=%d (%s), "
            "end_scores=%s, stones={%s})"
            % (
                self.shot_number,
                self.current_end,
                self.last_end,
                self.turn_flag,
                colour,
                list(self.end_scores),
                stones,
            )
        )

    # The protocol's two messages; see tarnwick.protocol.
    @classmethod
    def from_protocol(cls, position, setstate):
        """The position that a POSITION and the SETSTATE after it describe."""
        from .protocol import state_from_messages

        return state_from_messages(position, setstate)

    def to_protocol(self):
        """(POSITION message, SETSTATE message) as the server writes them."""
        from .protocol import format_position, format_setstate

        return format_position(self), format_setstate(self)


def _int_array(field, values, size):
    values = list(values)
    if len(values) > size:
        raise RefusedError(field, "holds %d entries, at most %d" % (len(values), size))
    for i, value in enumerate(values):
        _checked_int("%s[%d]" % (field, i), value)
    return (ctypes.c_int32 * size)(*values)


def _stone_array(stones):
    stones = list(stones)
    if len(stones) > STONES_PER_END:
        raise RefusedError("stones", "holds %d stones, at most 16" % len(stones))
    array = (StonePosition * STONES_PER_END)()
    for k, stone in enumerate(stones):
        x, y = stone
        array[k] = StonePosition(x, y)
    return array


class Shot(_Record):
    """A delivery (the header's ShotVec, 12 bytes): the stone's velocity at the
    delivery point in m/s (vy < 0 goes towards the house) and the curl (0 bends
    the path towards +x, any other value towards -x)."""

    _fields_ = [("vx", ctypes.c_float), ("vy", ctypes.c_float), ("curl", ctypes.c_int32)]
    _int_fields = ("curl",)

    def __iter__(self):
        return iter((self.vx, self.vy, self.curl))

    def __repr__(self):
        return "Shot(vx=%s, vy=%s, curl=%d)" % (
            short_float(self.vx),
            short_float(self.vy),
            self.curl,
        )

    @classmethod
    def from_message(cls, message):
        """The delivery of a BESTSHOT or RUNSHOT message."""
        from .protocol import parse_delivery

        return parse_delivery(message)

    def to_bestshot(self):
        """The answer to GO that asks for this delivery."""
        from .protocol import format_bestshot

        return format_bestshot(self)


class ShotPos(_Record):
    """A target point in metres and the curl of the delivery (12 bytes)."""

    _fields_ = [("x", ctypes.c_float), ("y", ctypes.c_float), ("curl", ctypes.c_int32)]
    _int_fields = ("curl",)

    def __repr__(self):
        return "ShotPos(x=%s, y=%s, curl=%d)" % (
            short_float(self.x),
            short_float(self.y),
            self.curl,
        )


@functools.lru_cache(maxsize=None)
def game_state_dtype():
    """numpy's dtype of a GameState: the same 184 bytes, stones as (16, 2) float32."""
    import numpy as np

    return np.dtype(
        [
            ("shot_number", "<i4"),
            ("current_end", "<i4"),
            ("last_end", "<i4"),
            ("end_scores", "<i4", (SCORED_ENDS,)),
            ("turn_flag", "<i4"),
            ("stones", "<f4", (STONES_PER_END, 2)),
        ]
    )


@functools.lru_cache(maxsize=None)
def shot_dtype():
    """numpy's dtype of a Shot: vx, vy float32, curl int32."""
    import numpy as np

    return np.dtype([("vx", "<f4"), ("vy", "<f4"), ("curl", "<i4")])


def states_to_array(states):
    """A numpy array of game_state_dtype() holding copies of the given GameStates."""
    import numpy as np

    data = b"".join(state.to_bytes() for state in states)
    return np.frombuffer(data, dtype=game_state_dtype()).copy()


def shots_to_array(shots):
    """A numpy array of shot_dtype() holding the given Shots (or (vx, vy, curl) triples)."""
    import numpy as np

    shots = [s if isinstance(s, Shot) else Shot(*s) for s in shots]
    data = b"".join(shot.to_bytes() for shot in shots)
    return np.frombuffer(data, dtype=shot_dtype()).copy()


def state_from_record(record):
    """The GameState held by one element of a game_state_dtype() array."""
    return GameState.from_bytes(record.tobytes())


def shot_from_record(record):
    """The Shot held by one element of a shot_dtype() array."""
    return Shot.from_bytes(record.tobytes())
