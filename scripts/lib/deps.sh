#!/usr/bin/env bash
# Installs the Debian packages that building and testing need. Sourced by the
# scripts beside this folder (or run as it is); add new needs to SKERROW_PACKAGES.
set -euo pipefail

SKERROW_PACKAGES=(
    build-essential
    cmake
    ninja-build
    pkg-config
    clang-format
    clang
    libclang-rt-dev
    libbox2d-dev
    libgtest-dev
    libgmock-dev
    googletest
    libbenchmark-dev
    # The JSON reader that the referee's tests judge the game records with
    # (header-only, so the Windows build uses the same headers).
    nlohmann-json3-dev
    locales
    # Widgets too, and (through libqt6gui6) the offscreen platform that the
    # window's tests and screenshots run on.
    qt6-base-dev
    # Glyphs for the window's Japanese texts.
    fonts-noto-cjk
    # Qt's own texts in Japanese: the standard buttons and the file dialog.
    qt6-translations-l10n
    # An X server for the test that the window's options survive Qt's own
    # X11 options (skipped where it is missing).
    xvfb
    # The Python package (python/) and its tests: Debian's own python3 with
    # numpy and pytest, and what an offline install into a virtual
    # environment needs (setuptools 66 builds with the wheel package).
    python3-numpy
    python3-pytest
    python3-venv
    python3-setuptools
    python3-wheel
    # GNU parallel, which runs the shards of a skerrow-match series
    # (scripts/match-shards) and its test.
    parallel
)

# What the Windows check (scripts/windows) needs besides the above: the
# mingw-w64 cross compilers with the posix thread model (std::thread) and wine
# to run what they build. Installed only when that check runs.
SKERROW_WINDOWS_PACKAGES=(
    g++-mingw-w64-x86-64-posix
    wine
    wine64
    # apt-get source unpacks with dpkg-source.
    dpkg-dev
)
# The 32-bit build (scripts/windows --32): its compiler, and wine for 32-bit
# programs, which needs the i386 architecture (added by that option).
SKERROW_WINDOWS32_PACKAGES=(
    g++-mingw-w64-i686-posix
    wine32:i386
)

# as_root COMMAND...: runs the command as root, through sudo when needed.
as_root() {
    if ((EUID == 0)); then
        "$@"
    elif command -v sudo >/dev/null; then
        sudo "$@"
    else
        echo "Not root and no sudo to run: $*" >&2
        return 1
    fi
}

# Set once the package lists have been refreshed, so that a script calling
# install_missing_packages twice runs apt-get update once at most.
SKERROW_APT_UPDATED=${SKERROW_APT_UPDATED:-0}

# install_missing_packages [PACKAGE...]
# Installs those of the given packages (SKERROW_PACKAGES by default) that dpkg
# does not list as installed; does nothing, not even apt-get update, when all
# are there.
install_missing_packages() {
    local packages=("$@")
    if ((${#packages[@]} == 0)); then
        packages=("${SKERROW_PACKAGES[@]}")
    fi
    if ! command -v dpkg-query >/dev/null; then
        echo "No dpkg here: make sure these are installed: ${packages[*]}" >&2
        return 0
    fi

    local missing=() package
    for package in "${packages[@]}"; do
        if [[ "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null)" != installed ]]; then
            missing+=("$package")
        fi
    done
    if ((${#missing[@]} == 0)); then
        return 0
    fi

    if ((EUID != 0)) && ! command -v sudo >/dev/null; then
        echo "Missing packages (${missing[*]}) and no sudo to install them: run as root." >&2
        return 1
    fi
    echo "Installing ${missing[*]}"
    refresh_package_lists
    as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# refresh_package_lists: apt-get update, once per script run.
refresh_package_lists() {
    if ((SKERROW_APT_UPDATED == 0)); then
        as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
        SKERROW_APT_UPDATED=1
    fi
}

# ensure_locale NAME (for example de_DE.UTF-8)
# Compiles a locale that tests use to show that numbers ignore the process
# locale; skipped, with a note, where it cannot be made.
ensure_locale() {
    local name=$1
    local normalized
    normalized=$(printf '%s' "$name" | tr '[:upper:]' '[:lower:]' | sed 's/utf-8/utf8/')
    if locale -a 2>/dev/null | tr '[:upper:]' '[:lower:]' | grep -qx "$normalized"; then
        return 0
    fi
    if ((EUID != 0)) && ! command -v sudo >/dev/null; then
        echo "Locale $name missing; tests run without it." >&2
        return 0
    fi
    as_root localedef -i "${name%%.*}" -f UTF-8 "$name" 2>/dev/null ||
        echo "Could not make the locale $name; tests run without it." >&2
}

# Run directly, it does its job on the given arguments.
if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
    install_missing_packages "$@"
fi
