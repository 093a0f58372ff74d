"""The match protocol's messages, as an engine reads and writes them.

Words are separated by spaces only (runs of spaces count as one; a tab is part
of a word), the command word is compared without regard to ASCII case, and
numbers follow the protocol's grammar ('.' as the decimal point, no "nan",
"inf", hexadecimal or digit separators). Reals are written with six digits
after the point, as the server writes them. Parsing is strict: a message
without the words its command asks for raises ProtocolError, saying which.
"""

import math
import re

from .errors import ProtocolError
from .records import STONES_PER_END, GameState, Shot

_REAL = re.compile(r"[+-]?(?:[0-9]+(?:\.[0-9]*)?|\.[0-9]+)(?:[eE][+-]?[0-9]+)?\Z")
_INTEGER = re.compile(r"[+-]?[0-9]+\Z")
_INT32 = (-(2**31), 2**31 - 1)

# The server takes a delivery whose velocities are at most this large, m/s.
MAX_ANSWER_SPEED = 1000.0


def words(message):
    """The message's words: split at spaces, runs of spaces counting as one."""
    return [word for word in message.split(" ") if word]


def command(message):
    """The command word in upper case ('' for an empty message)."""
    found = words(message)
    return found[0].upper() if found else ""


def _arguments(message, word, count, exact=True):
    found = words(message)
    if not found or found[0].upper() != word:
        raise ProtocolError(message, "not a %s message" % word)
    arguments = found[1:]
    if len(arguments) < count or (exact and len(arguments) != count):
        raise ProtocolError(
            message, "%s takes %d arguments, this one has %d" % (word, count, len(arguments))
        )
    return arguments


def _real(message, word, what):
    if not _REAL.match(word):
        raise ProtocolError(message, "%s is no decimal number: %r" % (what, word))
    value = float(word)
    if not math.isfinite(value):
        raise ProtocolError(message, "%s is out of range: %r" % (what, word))
    return value


def _integer(message, word, what):
    if not _INTEGER.match(word) or not _INT32[0] <= int(word) <= _INT32[1]:
        raise ProtocolError(message, "%s is no 32-bit whole number: %r" % (what, word))
    return int(word)


def _fixed(value):
    # The server's notation: fixed point, six decimals, '.' in every locale.
    return "%.6f" % value


def parse_position(message):
    """POSITION x0 y0 ... x15 y15: the sixteen (x, y) pairs, in metres."""
    arguments = _arguments(message, "POSITION", 2 * STONES_PER_END)
    numbers = [_real(message, w, "number %d" % (i + 1)) for i, w in enumerate(arguments)]
    return list(zip(numbers[0::2], numbers[1::2]))


def parse_setstate(message):
    """SETSTATE shot end lastEnd turn: the four whole numbers."""
    arguments = _arguments(message, "SETSTATE", 4)
    names = ("shot", "end", "lastEnd", "turn")
    return tuple(_integer(message, w, name) for w, name in zip(arguments, names))


def state_from_messages(position, setstate):
    """The GameState that a POSITION and the SETSTATE after it describe.

    end_scores stay 0: the server's SCORE counts for colours (positive for
    red), the library's entries for the side that delivered first in the end;
    read SCORE with parse_score.
    """
    stones = parse_position(position)
    shot, end, last_end, turn = parse_setstate(setstate)
    return GameState(
        shot_number=shot, current_end=end, last_end=last_end, turn_flag=turn, stones=stones
    )


def format_position(state):
    """The POSITION message of a GameState, as the server writes it."""
    numbers = [_fixed(v) for stone in state.stones for v in stone]
    return "POSITION " + " ".join(numbers)


def format_setstate(state):
    """The SETSTATE message of a GameState."""
    return "SETSTATE %d %d %d %d" % (
        state.shot_number,
        state.current_end,
        state.last_end,
        state.turn_flag,
    )


def parse_go(message):
    """GO redMs yellowMs: both sides' thinking time left, in milliseconds."""
    red, yellow = _arguments(message, "GO", 2)
    return _integer(message, red, "redMs"), _integer(message, yellow, "yellowMs")


def parse_newgame(message):
    """NEWGAME red yellow: the two players' names, red first."""
    red, yellow = _arguments(message, "NEWGAME", 2)
    return red, yellow


def parse_score(message):
    """SCORE s1 ... sk: every end's result so far, positive for red."""
    arguments = _arguments(message, "SCORE", 1, exact=False)
    return [_integer(message, w, "end %d" % (i + 1)) for i, w in enumerate(arguments)]


def parse_delivery(message):
    """The Shot of a BESTSHOT or RUNSHOT message (vx vy curl)."""
    word = command(message)
    if word not in ("BESTSHOT", "RUNSHOT"):
        raise ProtocolError(message, "not a BESTSHOT or RUNSHOT message")
    vx, vy, curl = _arguments(message, word, 3)
    return Shot(
        vx=_real(message, vx, "vx"),
        vy=_real(message, vy, "vy"),
        curl=_integer(message, curl, "curl"),
    )


def format_bestshot(shot):
    """The answer to GO asking for `shot`: "BESTSHOT vx vy curl".

    Raises ValueError for a delivery the server would take as garbage (not
    finite, or faster than MAX_ANSWER_SPEED on an axis).
    """
    vx, vy, curl = shot
    for name, value in (("vx", vx), ("vy", vy)):
        if not math.isfinite(value) or abs(value) > MAX_ANSWER_SPEED:
            raise ValueError(
                "%s = %r: the server takes only finite velocities of at most %g m/s"
                % (name, value, MAX_ANSWER_SPEED)
            )
    return "BESTSHOT %s %s %d" % (_fixed(vx), _fixed(vy), curl)
