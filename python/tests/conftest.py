"""Shared fixtures: the C reference program, the repository, the transcript."""

import os
import pathlib
import subprocess

import pytest

import tarnwick

REPOSITORY = pathlib.Path(__file__).resolve().parents[2]
TRANSCRIPT = REPOSITORY / "docs" / "engine-transcript.bin"


@pytest.fixture(scope="session")
def repository():
    return REPOSITORY


@pytest.fixture(scope="session")
def transcript():
    """The server's messages of a one-end game as red received them, zero-terminated."""
    return TRANSCRIPT.read_bytes()


class CReference:
    """tarnwick_c_reference: the same library called from C."""

    def __init__(self, path):
        self.path = path

    def _run(self, *arguments):
        done = subprocess.run([self.path, *arguments], capture_output=True, text=True, check=True)
        return done.stdout

    def fields(self, state):
        lines = self._run("fields", state.to_bytes().hex()).splitlines()
        return dict(line.split(" ", 1) for line in lines if not line.startswith("stone")), [
            tuple(tarnwick.float32(float(v)) for v in line.split()[2:])
            for line in lines
            if line.startswith("stone")
        ]

    def simulate(self, state, shot, random, seed, steps):
        output = self._run(
            "simulate",
            state.to_bytes().hex(),
            shot.to_bytes().hex(),
            tarnwick.ShotPos(x=random).to_bytes()[:4].hex(),
            str(seed),
            str(steps),
        )
        values = dict(line.split(" ", 1) for line in output.splitlines())
        return (
            int(values["result"]),
            tarnwick.GameState.from_bytes(bytes.fromhex(values["state"])),
            tarnwick.Shot.from_bytes(bytes.fromhex(values["played"])),
        )


@pytest.fixture(scope="session")
def c_reference():
    given = os.environ.get("TARNWICK_C_REFERENCE")
    path = given or str(REPOSITORY / "build" / "bin" / "tarnwick_c_reference")
    if not os.path.isfile(path):
        if given:
            pytest.fail("TARNWICK_C_REFERENCE names no file: %s" % given)
        pytest.skip("tarnwick_c_reference is not built (cmake --build build)")
    return CReference(path)
