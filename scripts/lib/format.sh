#!/usr/bin/env bash
# Checks that the C and C++ sources follow .clang-format. Sourced by the
# scripts beside this folder, which run from the repository root.
set -euo pipefail

# check_format
# Runs clang-format in dry-run mode over every C and C++ source that git
# tracks; fails, naming the files and lines, when one is not formatted.
# `clang-format -i FILE` formats a file.
check_format() {
    if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        echo "Format check skipped: not a git checkout, so the tracked sources are unknown."
        return 0
    fi
    local files=()
    mapfile -t files < <(git ls-files -- '*.c' '*.cpp' '*.h')
    echo "Checking the format of ${#files[@]} sources with $(clang-format --version)"
    clang-format --dry-run -Werror "${files[@]}"
}

# Run directly, it does its job.
if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
    check_format
fi
