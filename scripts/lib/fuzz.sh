#!/usr/bin/env bash
# Builds the relay's fuzz target with clang and runs it for a while. Sourced
# by the scripts beside this folder, which run from the repository root.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/build.sh"

# True when clang++ links a libFuzzer target: the compiler alone is not
# enough, the fuzzer runtime comes in a package of its own.
have_libfuzzer() {
    command -v clang >/dev/null && command -v clang++ >/dev/null || return 1
    local probe
    probe=$(mktemp -d)
    printf '%s\n' '#include <cstddef>' '#include <cstdint>' \
        'extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t*, std::size_t) { return 0; }' \
        >"$probe/probe.cpp"
    local status=0
    clang++ -fsanitize=fuzzer "$probe/probe.cpp" -o "$probe/probe" >/dev/null 2>&1 || status=1
    rm -rf "$probe"
    return "$status"
}

# run_relay_fuzzer [BUILD_DIR [SECONDS]]
# Builds relay_fuzzer in BUILD_DIR (build-fuzz by default) and runs it for
# SECONDS (60 by default), starting from the seed corpus in fuzz/corpus.
# Inputs it finds go to BUILD_DIR/corpus, so the committed seeds stay as they
# are. Fails when the fuzzer finds a crash or a broken invariant; the input
# that shows it is left in BUILD_DIR. Without clang or its fuzzer runtime it
# says so and succeeds.
run_relay_fuzzer() {
    local dir=${1:-build-fuzz}
    local seconds=${2:-60}
    if ! have_libfuzzer; then
        echo "Fuzzing skipped: clang with its libFuzzer runtime is not installed."
        return 0
    fi
    CC=clang CXX=clang++ configure_build_dir . "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DSKERROW_FUZZ=ON -DSKERROW_BUILD_TESTS=OFF -DSKERROW_BUILD_BENCHMARKS=OFF \
        -DSKERROW_WERROR=ON
    cmake --build "$dir" --target relay_fuzzer --parallel 2

    mkdir -p "$dir/corpus"
    echo "Fuzzing the relay's protocol core for ${seconds} s"
    # detect_leaks stays on: a leak in the handler counts as a find.
    if ! ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1 \
        UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        "$dir/bin/relay_fuzzer" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$dir/" "$dir/corpus" fuzz/corpus; then
        echo "The relay fuzzer found a failing input; see $dir/crash-* (or leak-*, timeout-*)." >&2
        return 1
    fi
}

# Run directly, it does its job on the given arguments.
if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
    run_relay_fuzzer "$@"
fi
