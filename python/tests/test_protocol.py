"""The protocol's messages: the server's own texts, and what is no such message."""

import math

import pytest

import tarnwick
from tarnwick import GameState, ProtocolError, Shot


def server_messages(transcript):
    return transcript.decode().split("\0")[:-1]


def test_positions_round_trip_to_the_servers_own_text(transcript):
    messages = server_messages(transcript)
    pairs = [(m, messages[i + 1]) for i, m in enumerate(messages) if m.startswith("POSITION")]
    assert len(pairs) == 17
    for position, setstate in pairs:
        state = GameState.from_protocol(position, setstate)
        assert state.to_protocol() == (position, setstate)
    state = GameState.from_protocol(*pairs[5])
    assert (state.shot_number, state.current_end, state.last_end, state.turn_flag) == (5, 0, 1, 1)
    assert list(state.end_scores) == [0] * 10
    assert state.stones[2] == (
        float(position_word(pairs[5][0], 5)),
        float(position_word(pairs[5][0], 6)),
    )


def position_word(message, index):
    return message.split()[index]


ZEROS = " ".join(["0.000000"] * 32)

MALFORMED = [
    "POSITION " + " ".join(["1.0"] * 31),
    "POSITION " + " ".join(["1.0"] * 33),
    "POSITION nan " + " ".join(["1.0"] * 31),
    "POSITION 1,5 " + " ".join(["1.0"] * 31),
    "POSITION 0x1p3 " + " ".join(["1.0"] * 31),
    "POSITION\t" + ZEROS,
    "SETSTATE 1 2 3",
    "SETSTATE 1 2 3 x",
    "SETSTATE 1 2.0 3 0",
    "GO 99999999999 1000",
    "SCORE",
    "RUNSHOT 0.1 -3.0",
    "BESTSHOT 0.1 -3.0 1 extra",
    "BESTSHOT inf -3.0 1",
]


@pytest.mark.parametrize("message", MALFORMED)
def test_malformed_messages_are_refused(message):
    parsers = {
        "POSITION": tarnwick.parse_position,
        "SETSTATE": tarnwick.parse_setstate,
        "GO": tarnwick.parse_go,
        "SCORE": tarnwick.parse_score,
        "RUNSHOT": tarnwick.parse_delivery,
        "BESTSHOT": tarnwick.parse_delivery,
    }
    word = message.split()[0].split("\t")[0]
    with pytest.raises(ProtocolError):
        parsers[word](message)


def test_words_and_numbers_as_the_server_reads_them():
    # Any case, runs of spaces, and the whole grammar of a real.
    stones = tarnwick.parse_position("  position  1.5 +2. -.5 1e1 " + " ".join(["0"] * 28))
    assert stones[:2] == [(1.5, 2.0), (-0.5, 10.0)]
    assert tarnwick.parse_setstate("setstate 3 0 10 1") == (3, 0, 10, 1)
    assert tarnwick.parse_go("GO 60000 59960") == (60000, 59960)
    assert tarnwick.parse_score("SCORE 1 -2 0") == [1, -2, 0]
    assert tarnwick.parse_newgame("NEWGAME Alice Bob") == ("Alice", "Bob")
    assert Shot.from_message("RUNSHOT 0.200000 -3.200000 1") == Shot(vx=0.2, vy=-3.2, curl=1)
    assert Shot.from_message("bestshot -0.1 -2.9 0001").curl == 1


def test_answers_are_what_the_server_accepts():
    assert (
        Shot(vx=-0.099074, vy=-2.955977, curl=0).to_bestshot() == "BESTSHOT -0.099074 -2.955977 0"
    )
    assert tarnwick.format_bestshot((0, 0, 0)) == "BESTSHOT 0.000000 0.000000 0"
    for bad in ((math.nan, -3.0, 0), (0.0, -1000.5, 0)):
        with pytest.raises(ValueError):
            tarnwick.format_bestshot(bad)
