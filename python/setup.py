"""Copies the Tarnwick library into the package when one is built.

`pip install ./python` (with --no-build-isolation, offline) takes the library
from the file named by TARNWICK_LIBRARY, else from the repository's build
folder (build/bin, or the Windows cross build's folder), and installs it next
to the package, where the package looks first. Without either it installs
the package alone and says so: set TARNWICK_LIBRARY when running then.
"""

import os
import shutil
import sys

from setuptools import Distribution, setup
from setuptools.command.build_py import build_py

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
# The package's own rules for the library's name and place (it needs nothing
# but the standard library to import).
from tarnwick._library import (
    ENVIRONMENT_VARIABLE,
    build_folder_library,
    library_file_name,
)  # noqa: E402


def built_library():
    """The library to install, or None."""
    explicit = os.environ.get(ENVIRONMENT_VARIABLE)
    if explicit:
        if not os.path.isfile(explicit):
            sys.exit("%s names no file: %s" % (ENVIRONMENT_VARIABLE, explicit))
        return explicit
    candidate = build_folder_library(os.path.dirname(HERE))
    return candidate if os.path.isfile(candidate) else None


class BuildWithLibrary(build_py):
    def run(self):
        super().run()
        library = built_library()
        if library is None:
            print(
                "tarnwick: no built library found (build the repository first, or set"
                " TARNWICK_LIBRARY); installing the package without it",
                file=sys.stderr,
            )
            return
        target = os.path.join(self.build_lib, "tarnwick", library_file_name())
        shutil.copyfile(library, target)
        print("tarnwick: installing %s with the package" % library, file=sys.stderr)


class PlatformDistribution(Distribution):
    # With the library inside, the wheel is for this platform only.
    def has_ext_modules(self):
        return built_library() is not None


setup(cmdclass={"build_py": BuildWithLibrary}, distclass=PlatformDistribution)
