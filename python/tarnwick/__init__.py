"""Tarnwick for Python: curling shots on a two-dimensional sheet.

A thin layer over the C library (libTarnwick.so, Tarnwick.dll on Windows)
through ctypes: the records byte for byte as in tarnwick.h, every entry point
with its arguments checked and its refusals raised as exceptions, batches over
numpy arrays, and the match protocol's messages. tarnwick.engine turns a class
with one method into a thinking engine. The guide is docs/engines.md.
"""

from ._library import library_path
from .errors import (
    LibraryNotFoundError,
    ProtocolError,
    RefusedError,
    TarnwickError,
    WeightTooSmallError,
)
from .physics import (
    check_state,
    create_hit_shot,
    create_shot,
    delivery_spread,
    new_seed,
    simulate,
    simulate_batch,
)
from .protocol import (
    format_bestshot,
    format_position,
    format_setstate,
    parse_delivery,
    parse_go,
    parse_newgame,
    parse_position,
    parse_score,
    parse_setstate,
)
from .records import (
    RED,
    SCORED_ENDS,
    STONES_PER_END,
    YELLOW,
    GameState,
    Shot,
    ShotPos,
    StonePosition,
    float32,
    game_state_dtype,
    shot_dtype,
    shot_from_record,
    shots_to_array,
    state_from_record,
    states_to_array,
)
from .scoring import HouseStone, end_score, stones_in_house
from .sheet import *  # noqa: F401,F403 (the sheet's numbers, as tarnwick.TEE_X and so on)

__version__ = "0.1.0"
