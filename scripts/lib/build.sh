#!/usr/bin/env bash
# Configures and builds the project with CMake and Ninja. Sourced by the
# scripts beside this folder, which run from the repository root.
set -euo pipefail

# configure_build_dir SOURCE_DIR BUILD_DIR [CMAKE_OPTION...]
# The generator is chosen only when the folder is new: CMake refuses to switch
# the generator of an existing build folder.
configure_build_dir() {
    local source=$1 dir=$2
    shift 2
    local generator=()
    if [[ ! -f "$dir/CMakeCache.txt" ]]; then
        generator=(-G Ninja)
    fi
    cmake -S "$source" -B "$dir" "${generator[@]}" "$@"
}

# configure_and_build BUILD_DIR [CMAKE_OPTION...]: the project, every target.
configure_and_build() {
    local dir=$1
    shift
    configure_build_dir . "$dir" "$@"
    cmake --build "$dir" --parallel 2
}

# Run directly, it does its job on the given arguments.
if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
    configure_and_build "$@"
fi
