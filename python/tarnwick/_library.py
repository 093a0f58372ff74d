"""Finding and loading the Tarnwick library, and the prototypes of its entry points.

The library is loaded on first use, not on import, so that the protocol helpers
and the engine framework work (and report clearly) without it. Where it is
looked for, in this order:

1. the file named by the environment variable TARNWICK_LIBRARY, and nothing
   else when it is set;
2. next to this package (where ``pip install`` copies it when it was built);
3. the repository's build folder, when the package is used from a checkout
   with PYTHONPATH=python (``build/bin``, or the Windows cross build's
   ``build-windows/Tarnwick-win64/bin``);
4. on Windows, the folders of PATH, searched here: Python (3.8 and later)
   loads a DLL named without a folder only from its own folder and the
   system's;
5. the system's own search by file name (LD_LIBRARY_PATH and the loader's
   cache; on Windows the interpreter's and the system's folders).
"""

import ctypes
import functools
import os
import struct
import sys

from .errors import LibraryNotFoundError
from .records import GameState, Shot, ShotPos

ENVIRONMENT_VARIABLE = "TARNWICK_LIBRARY"

# Every entry point the package calls; a library built before one of them
# existed is refused by name rather than failing on first call.
_ENTRY_POINTS = (
    "Simulation",
    "SimulationSeeded",
    "SimulationBatch",
    "SimulationTrace",
    "CreateShot",
    "CreateHitShot",
)


def library_file_name():
    """The library's file name on this platform."""
    if sys.platform == "win32":
        return "Tarnwick.dll"
    if sys.platform == "darwin":
        return "libTarnwick.dylib"
    return "libTarnwick.so"


def build_folder_library(repository):
    """Where a build of the repository leaves the library for this platform."""
    name = library_file_name()
    if sys.platform == "win32":
        bits = "win64" if struct.calcsize("P") == 8 else "win32"
        return os.path.join(repository, "build-windows", "Tarnwick-" + bits, "bin", name)
    return os.path.join(repository, "build", "bin", name)


def on_search_path(name, search_path):
    """The first file `name` in the folders of `search_path` (a PATH value), or None."""
    for folder in search_path.split(os.pathsep):
        if folder and os.path.isfile(os.path.join(folder, name)):
            return os.path.join(folder, name)
    return None


def candidate_paths():
    """The places tried, in order, as (path, how it was chosen) pairs."""
    explicit = os.environ.get(ENVIRONMENT_VARIABLE)
    if explicit:
        return [(explicit, "from " + ENVIRONMENT_VARIABLE)]
    package = os.path.dirname(os.path.abspath(__file__))
    name = library_file_name()
    places = [
        (os.path.join(package, name), "next to the package"),
        (
            build_folder_library(os.path.dirname(os.path.dirname(package))),
            "the repository's build folder",
        ),
    ]
    if sys.platform == "win32":
        on_path = on_search_path(name, os.environ.get("PATH", ""))
        if on_path:
            places.append((on_path, "on PATH"))
    places.append((name, "the system's library search"))
    return places


def _load(path):
    # CDLL is right on Windows too: the entry points are __cdecl.
    library = ctypes.CDLL(path)
    missing = [name for name in _ENTRY_POINTS if not hasattr(library, name)]
    if missing:
        raise OSError(
            "it lacks %s (a build older than this package: rebuild the library)"
            % ", ".join(missing)
        )
    return library


@functools.lru_cache(maxsize=None)
def library():
    """The loaded library with its prototypes set; raises LibraryNotFoundError."""
    tried = []
    for path, how in candidate_paths():
        is_file_path = os.path.dirname(path) != ""
        if is_file_path and not os.path.isfile(path):
            tried.append((path, how, "no such file"))
            continue
        try:
            handle = _load(os.path.abspath(path) if is_file_path else path)
        except OSError as error:
            tried.append((path, how, str(error)))
            continue
        _declare(handle)
        handle.tarnwick_path = path
        return handle
    raise LibraryNotFoundError(tried)


def library_path():
    """The path of the library in use (loading it if need be)."""
    return library().tarnwick_path


def _declare(lib):
    state_p = ctypes.POINTER(GameState)
    shot_p = ctypes.POINTER(Shot)
    c_int = ctypes.c_int
    c_float = ctypes.c_float
    lib.Simulation.argtypes = [state_p, Shot, c_float, shot_p, c_int]
    lib.Simulation.restype = c_int
    lib.SimulationSeeded.argtypes = [state_p, Shot, c_float, shot_p, c_int, ctypes.c_uint64]
    lib.SimulationSeeded.restype = c_int
    # The batch takes plain addresses, so that numpy arrays pass without a copy.
    lib.SimulationBatch.argtypes = [
        ctypes.c_void_p,
        ctypes.c_void_p,
        c_int,
        c_float,
        ctypes.c_uint64,
        ctypes.c_void_p,
        ctypes.c_void_p,
        c_int,
    ]
    lib.SimulationBatch.restype = c_int
    lib.CreateShot.argtypes = [ShotPos, shot_p]
    lib.CreateShot.restype = c_int
    lib.CreateHitShot.argtypes = [ShotPos, c_float, shot_p]
    lib.CreateHitShot.restype = c_int
