"""The guide's own code, run as a reader would run it."""

import os
import re
import subprocess
import sys

import tarnwick


def guide_blocks(repository):
    text = (repository / "docs" / "engines.md").read_text(encoding="utf-8")
    return text, re.findall(r"```python\n(.*?)```", text, flags=re.S)


def test_the_first_engine_of_the_guide_plays_the_transcript(repository, transcript, tmp_path):
    _, blocks = guide_blocks(repository)
    script = tmp_path / "my_engine.py"
    script.write_text(blocks[0])
    env = dict(os.environ, PYTHONPATH=os.path.dirname(os.path.dirname(tarnwick.__file__)))
    done = subprocess.run(
        [sys.executable, str(script)], input=transcript, capture_output=True, env=env, timeout=60
    )
    assert done.returncode == 0, done.stderr.decode()
    tee = tarnwick.create_shot(tarnwick.TEE_X, tarnwick.TEE_Y, 0).to_bestshot()
    assert done.stdout.decode().splitlines() == ["READYOK"] + [tee] * 8
    assert b"asked for stone 14" in done.stderr


def test_the_guides_snippets_run(repository, transcript):
    _, blocks = guide_blocks(repository)
    messages = transcript.decode().split("\0")
    names = {"tarnwick": tarnwick, "position_message": messages[2], "setstate_message": messages[3]}
    for block in blocks[1:]:
        exec(block, names)
    assert names["takeout"].curl == 1 and names["draw"].vy < 0
    assert len(names["scores"]) == 200


def test_the_worked_example_of_the_sign_conventions_holds(repository):
    text, blocks = guide_blocks(repository)
    example = next(
        block for block in blocks if "before = tarnwick.GameState(shot_number=15" in block
    )
    names = {"tarnwick": tarnwick}
    exec(example, names)
    after = names["after"]
    # The values the guide's comments give.
    assert after.end_scores[4] == 2
    assert tarnwick.end_score(after, tarnwick.YELLOW) == 2
    assert tarnwick.end_score(after, tarnwick.RED) == -2
    # The rollover as the guide describes it.
    assert (after.shot_number, after.current_end, after.turn_flag) == (0, 5, tarnwick.YELLOW)
    assert after.end_scores[after.current_end] == 0
    assert "`SCORE ... -2`" in text
