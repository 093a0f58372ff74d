"""python3 -m tarnwick: says which library the package loads, or where it looked."""

import sys

from . import LibraryNotFoundError, create_shot, library_path, simulate, GameState, TEE_X, TEE_Y


def main():
    try:
        path = library_path()
    except LibraryNotFoundError as error:
        print(error, file=sys.stderr)
        return 1
    after = simulate(GameState(), create_shot(TEE_X, TEE_Y, 0))
    print("Tarnwick library: %s" % path)
    print("A draw to the tee comes to rest at %r." % (after.stones[0],))
    return 0


if __name__ == "__main__":
    sys.exit(main())
