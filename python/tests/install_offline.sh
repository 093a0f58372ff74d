#!/usr/bin/env bash
# Installs the package as an engine author would, with nothing fetched: a
# fresh virtual environment made by Debian's python3 with the system's
# packages visible (Debian's numpy, and the wheel package that setuptools 66
# needs to build), then
# `pip install --no-index --no-build-isolation ./python`, from a copy of the
# repository's python/ folder beside a build folder, so that the install
# copies the library in. The installed package must then load its own copy of
# the library (not the build folder's, which is gone by then) and play a shot.
#
#   install_offline.sh PYTHON SOURCE_DIR LIBRARY
set -euo pipefail
python=$1
source=$2
library=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

mkdir -p "$work/repo/build/bin"
cp -r "$source/python" "$work/repo/python"
cp "$library" "$work/repo/build/bin/"

"$python" -m venv --system-site-packages "$work/venv" || fail "python3 -m venv (Debian's python3-venv) failed"
(cd "$work/repo" && env -u PYTHONPATH PIP_NO_CACHE_DIR=1 "$work/venv/bin/python" -m pip install --quiet \
    --no-index --no-build-isolation --disable-pip-version-check ./python) ||
    fail "pip install --no-index --no-build-isolation ./python failed"

# The build folder goes, so only the installed copy can be found.
rm -rf "$work/repo"
cd "$work"
env -u TARNWICK_LIBRARY -u PYTHONPATH "$work/venv/bin/python" - <<'PYTHON' || fail "the installed package did not work"
import os
import tarnwick

path = tarnwick.library_path()
package = os.path.dirname(tarnwick.__file__)
assert os.path.dirname(os.path.abspath(path)) == package, path
after = tarnwick.simulate(tarnwick.GameState(), tarnwick.create_shot(tarnwick.TEE_X, tarnwick.TEE_Y))
stone = after.stones[0]
assert abs(stone.x - tarnwick.TEE_X) < 0.05 and abs(stone.y - tarnwick.TEE_Y) < 0.05, stone
import numpy
shots = numpy.repeat(tarnwick.shots_to_array([tarnwick.create_shot(2.375, 4.88)]), 2)
assert len(tarnwick.simulate_batch(after, shots, random=0.1, seed=1)) == 2
print("installed at", package, "with", os.path.basename(path))
PYTHON
echo "The package installs offline and plays from its own copy of the library."
