"""A framework for thinking engines: the protocol is handled here, the thinking is yours.

    import tarnwick
    from tarnwick.engine import Engine, run

    class TeeDrawer(Engine):
        def choose(self, state, time_left):
            return tarnwick.create_shot(tarnwick.TEE_X, tarnwick.TEE_Y, 0)

    if __name__ == "__main__":
        run(TeeDrawer)

run() reads the server's messages from standard input (each ends with a zero
byte), keeps the position from POSITION and SETSTATE, answers ISREADY with
READYOK at once and GO with the line "BESTSHOT vx vy curl" of the Shot that
choose() returns. Standard output is the wire: run() moves it aside before
anything else and points file descriptor 1 and sys.stdout at standard error,
so print() and any other output of the engine (C code and child processes
included) can never reach the server. An exception in choose(), or an answer
the server would take as garbage, is reported on standard error and answered
with a draw to the tee, so that the stone is not lost.
"""

import os
import sys
import traceback

from . import sheet
from .errors import ProtocolError, TarnwickError
from .protocol import (
    command,
    format_bestshot,
    parse_go,
    parse_newgame,
    parse_position,
    parse_score,
    parse_setstate,
)
from .records import RED, STONES_PER_END, SCORED_ENDS, GameState, Shot


class Engine:
    """The base of an engine. Override choose(); the other methods are optional."""

    def choose(self, state, time_left):
        """The delivery to play now, as a Shot (or a (vx, vy, curl) triple).

        state      the position as the server reported it (a GameState of your
                   own: change it freely). turn_flag is your colour;
                   end_scores are 0 (see tarnwick.end_score).
        time_left  your thinking time left in this game, in seconds, as GO
                   reported it; the clock runs until the answer reaches the
                   server (see think_time).
        """
        raise NotImplementedError("an engine must define choose(state, time_left)")

    def new_game(self, red, yellow):
        """NEWGAME: a game begins between the players named (red first)."""

    def ready(self):
        """ISREADY: called before READYOK is sent."""

    def end_scored(self, scores):
        """SCORE: every end's result so far, positive for red (a list of ints)."""

    def game_over(self):
        """GAMEOVER: the game is over; another NEWGAME may follow."""


def think_time(state, time_left, most=None):
    """Seconds to think about this stone: an equal share of `time_left` for each
    stone this side still has to deliver in the game, less a fifth for the
    relay and the pipes, and at most `most` (when given)."""
    this_end = min(max((STONES_PER_END + 1 - state.shot_number) // 2, 1), STONES_PER_END // 2)
    later_ends = min(max(state.last_end - state.current_end - 1, 0), SCORED_ENDS - 1)
    share = max(time_left, 0.0) / (this_end + later_ends * STONES_PER_END // 2) * 0.8
    return share if most is None else min(share, most)


def _fallback_shot():
    # The draw to the tee; without a library, a stone thrown away (a valid
    # answer all the same).
    try:
        from .physics import create_shot

        return create_shot(sheet.TEE_X, sheet.TEE_Y, 0)
    except (TarnwickError, OSError):
        return Shot(vx=0.0, vy=0.0, curl=0)


class EngineSession:
    """The engine's side of one connection, without any I/O of its own.

    feed() takes bytes as they arrive; each answer goes to write_line(text)
    without its newline. Notes for the engine's author go to `log`.
    """

    def __init__(self, engine, write_line, log=None):
        self.engine = engine
        self._write_line = write_line
        self._log = log if log is not None else sys.stderr
        self._pending = bytearray()
        self._stones = [(0.0, 0.0)] * STONES_PER_END
        self.state = GameState()
        self.scores = []

    def feed(self, data):
        """Handles every message completed by `data`; keeps a partial one."""
        self._pending += data
        *messages, rest = self._pending.split(b"\0")
        self._pending = bytearray(rest)
        for message in messages:
            self.handle(message.decode("utf-8", errors="replace"))

    def handle(self, message):
        """Acts on one message (without its zero byte)."""
        word = command(message)
        try:
            if word == "ISREADY":
                self._call(self.engine.ready)
                self._write_line("READYOK")
            elif word == "NEWGAME":
                self.state = GameState()
                self._stones = [(0.0, 0.0)] * STONES_PER_END
                self.scores = []
                self._call(self.engine.new_game, *parse_newgame(message))
            elif word == "POSITION":
                self._stones = parse_position(message)
            elif word == "SETSTATE":
                shot, end, last_end, turn = parse_setstate(message)
                self.state = GameState(
                    shot_number=shot,
                    current_end=end,
                    last_end=last_end,
                    turn_flag=turn,
                    stones=self._stones,
                )
            elif word == "SCORE":
                self.scores = parse_score(message)
                self._call(self.engine.end_scored, list(self.scores))
            elif word == "GO":
                self._answer_go(message)
            elif word == "GAMEOVER":
                self._call(self.engine.game_over)
        except ProtocolError as error:
            self._note("ignored a malformed message: %s" % error)

    def _call(self, hook, *arguments):
        # A fault in an optional method must not end the engine: the game
        # goes on, and the author is told.
        try:
            hook(*arguments)
        except Exception:
            self._note("%s() failed:\n%s" % (hook.__name__, traceback.format_exc().rstrip()))

    def _answer_go(self, message):
        try:
            red_ms, yellow_ms = parse_go(message)
        except ProtocolError as error:
            # Asked all the same: an answer without knowing the clock beats none.
            self._note("GO without a clock (%s); answering at once" % error)
            red_ms = yellow_ms = 0
        mine = red_ms if self.state.turn_flag == RED else yellow_ms
        line = None
        try:
            shot = self.engine.choose(self.state.copy(), mine / 1000.0)
            if not isinstance(shot, Shot):
                vx, vy, curl = shot
                shot = Shot(vx=vx, vy=vy, curl=curl)
            line = format_bestshot(shot)
        except Exception:  # the engine's own fault: report it, keep the stone
            self._note(
                "choose() failed; answering a draw to the tee instead:\n"
                + traceback.format_exc().rstrip()
            )
        if line is None:
            line = format_bestshot(_fallback_shot())
        self._write_line(line)

    def _note(self, text):
        print("engine: " + text, file=self._log, flush=True)


def _take_standard_output():
    """The real standard output, as a new descriptor; fd 1 and sys.stdout then
    write to standard error."""
    sys.stdout.flush()
    wire = os.dup(1)
    os.dup2(2, 1)
    sys.stdout = sys.stderr
    return wire


def _write_all(fd, data):
    while data:
        written = os.write(fd, data)
        data = data[written:]


def run(engine):
    """Plays through standard input and output until the input ends.

    `engine` is an Engine, or better its class or a function that makes it
    (run(MyEngine), run(lambda: MyEngine(options))): then even what its
    construction prints goes to standard error. Returns when the relay closes
    the engine's input (the match is over) or the answers can no longer be
    written (the relay has gone).
    """
    wire = _take_standard_output()
    try:
        if not isinstance(engine, Engine) and callable(engine):
            engine = engine()
        session = EngineSession(engine, lambda line: _write_all(wire, line.encode("utf-8") + b"\n"))
        while True:
            data = os.read(0, 65536)
            if not data:
                break
            session.feed(data)
    except (BrokenPipeError, KeyboardInterrupt):
        pass
    finally:
        os.close(wire)


__all__ = ["Engine", "EngineSession", "run", "think_time"]
