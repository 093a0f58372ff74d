"""end_score and stones_in_house: colours, the end's rollover, the server's SCORE."""

import math

import numpy as np
import pytest

import tarnwick
from tarnwick import RED, YELLOW, GameState, Shot

SHORT_OF_THE_HOG = Shot(vx=0.0, vy=-2.5, curl=0)  # stops near y = 15.3


def last_stone_position(turn_flag):
    """Shot 15 of end 3: the even-indexed stones 0.4 and 0.8 m from the tee,
    the odd side's stones gone; endScores[3] holds a stale -2."""
    stones = [(0.0, 0.0)] * 16
    stones[0] = (tarnwick.TEE_X, tarnwick.TEE_Y + 0.4)
    stones[2] = (tarnwick.TEE_X + 0.8, tarnwick.TEE_Y)
    scores = [0] * 10
    scores[3] = -2
    return GameState(
        shot_number=15, current_end=3, turn_flag=turn_flag, end_scores=scores, stones=stones
    )


@pytest.mark.parametrize("turn_flag,even_colour", [(1, RED), (0, YELLOW)])
def test_the_ends_result_after_the_rollover(turn_flag, even_colour):
    before = last_stone_position(turn_flag)
    after = tarnwick.simulate(before, SHORT_OF_THE_HOG)
    # The library has moved on: the result sits in the entry of the end before.
    assert (after.shot_number, after.current_end) == (0, 4)
    assert list(after.end_scores)[3:5] == [2, 0]
    assert after.turn_flag == even_colour
    other = 1 - even_colour
    assert tarnwick.end_score(after, even_colour) == 2
    assert tarnwick.end_score(after, other) == -2
    house = tarnwick.stones_in_house(after)
    assert [(s.index, s.colour, s.counts) for s in house] == [
        (0, even_colour, True),
        (2, even_colour, True),
    ]
    assert math.isclose(house[0].distance, 0.4, abs_tol=1e-6)
    # Before the shot the stones count the same; the stale entry is not read.
    assert tarnwick.end_score(before, even_colour) == 2
    array = tarnwick.states_to_array([before, after])
    assert list(tarnwick.end_score(array, even_colour)) == [2, 2]
    assert list(tarnwick.end_score(array, other)) == [-2, -2]


def test_every_shot_of_an_end_agrees_with_the_librarys_entry():
    state = GameState(
        current_end=2, turn_flag=YELLOW
    )  # yellow delivers first: even stones are yellow
    targets = [(2.375, 4.88), (2.2, 4.7), (2.6, 5.1), (2.375, 6.0)]
    positions = []
    for n in range(16):
        x, y = targets[n % 4]
        state = tarnwick.simulate(state, tarnwick.create_shot(x, y, n % 2), random=0.15, seed=n)
        positions.append(state)
        end = state.current_end - 1 if n == 15 else state.current_end
        entry = state.end_scores[end]  # counts for the even (yellow) side
        assert tarnwick.end_score(state, YELLOW) == entry
        assert tarnwick.end_score(state, RED) == -entry
        counted = sum(
            1 if s.colour == YELLOW else -1 for s in tarnwick.stones_in_house(state) if s.counts
        )
        assert counted == entry
        # A position built from the server's messages has no end scores; the
        # count comes from the stones all the same.
        if n < 15:
            heard = GameState.from_protocol(*state.to_protocol())
            assert tarnwick.end_score(heard, YELLOW) == entry
    assert positions[-1].current_end == 3
    array = tarnwick.states_to_array(positions)
    assert list(tarnwick.end_score(array, RED)) == [tarnwick.end_score(p, RED) for p in positions]


def test_nobody_counts_on_an_empty_sheet_or_at_a_tie():
    fresh_end = GameState(current_end=5, end_scores=[1, -2, 3, 0, 1, 0, 0, 0, 0, 0])
    assert tarnwick.end_score(fresh_end, RED) == 0
    tie = GameState(shot_number=2, stones=[(2.375, 4.88 + 0.5), (2.375, 4.88 - 0.5)])
    assert tarnwick.end_score(tie, RED) == 0
    assert [s.counts for s in tarnwick.stones_in_house(tie)] == [False, False]
    with pytest.raises(ValueError):
        tarnwick.end_score(tie, 2)


def test_the_servers_score_is_the_result_for_red(transcript):
    """Replaying the transcript's last RUNSHOT on its position gives SCORE's value."""
    messages = transcript.decode().split("\0")[:-1]
    last = max(i for i, m in enumerate(messages) if m.startswith("RUNSHOT"))
    position = max(i for i in range(last) if messages[i].startswith("POSITION"))
    state = GameState.from_protocol(messages[position], messages[position + 1])
    assert state.shot_number == 15
    after = tarnwick.simulate(state, Shot.from_message(messages[last]))
    scores = tarnwick.parse_score(messages[last + 1])
    assert tarnwick.end_score(after, RED) == scores[state.current_end] == -3
    assert np.sign(after.end_scores[state.current_end]) == -1
