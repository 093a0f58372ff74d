#!/usr/bin/env bash
# Plays one match on this machine: the reference server on a free loopback
# port and two skerrow-cli, each with the sample engine, each in a folder of
# its own (so that their match logs do not mix). Sourced by scripts/play and
# by the end-to-end tests.
#
# The script that sources this file may seat other engines and names: each
# SKERROW_*_ENGINE is an array of the program and its arguments (empty: the
# sample engine, with seed 1 for the first player and 2 for the second); the
# first player logs in first and is red in games 1, 3, 5, ...
#   SKERROW_FIRST_ENGINE=(examples/python_engine.py --max-think-ms 50)
#   SKERROW_FIRST_NAME=Python
set -euo pipefail

# run_match BIN_DIR RUN_DIR ENDS GAMES [SERVER_OPTION...]
# Leaves in RUN_DIR: server.out, red/ and yellow/ (each with client.out and
# Log/), and records/. Returns non-zero when a program failed or the match
# did not finish within its time. With SKERROW_MATCH_WINDOW=1 the yellow side
# plays in the Skerrow window, which stays open until the user closes it.
run_match() {
    local bin=$1 run=$2 ends=$3 games=$4
    shift 4
    mkdir -p "$run/red" "$run/yellow" "$run/records"
    local limit=$((120 + 120 * ends * games))  # seconds, generous for a slow machine

    "$bin/skerrow-server" --port 0 --ends "$ends" --games "$games" \
        --records "$run/records" "$@" >"$run/server.out" 2>"$run/server.err" &
    local server=$!
    local port=""
    server_port() {
        port=$(sed -n 's/^Listening on [0-9.]*:\([0-9]*\).*/\1/p' "$run/server.out" | head -n 1)
        [[ -n "$port" ]]
    }
    if ! wait_until "$server" 100 server_port; then
        echo "The match server did not start:" >&2
        cat "$run/server.err" >&2
        kill "$server" 2>/dev/null || true
        return 1
    fi

    local first=("${SKERROW_FIRST_ENGINE[@]}") second=("${SKERROW_SECOND_ENGINE[@]}")
    ((${#first[@]} > 0)) || first=("$bin/sample-engine" --seed 1)
    ((${#second[@]} > 0)) || second=("$bin/sample-engine" --seed 2)
    local first_name=${SKERROW_FIRST_NAME:-Red} second_name=${SKERROW_SECOND_NAME:-Yellow}

    # Red logs in first: the server gives the first player to log in red.
    start_client "$run/red" "$port" red01 "$first_name" redpass1 "$bin/skerrow-cli" "${first[@]}"
    local red=$!
    if ! wait_until "$red" 300 grep -q "logged in" "$run/red/client.out"; then
        echo "The red client did not log in:" >&2
        cat "$run/red/client.err" >&2
        kill "$server" 2>/dev/null || true
        return 1
    fi
    local status=0
    if [[ "${SKERROW_MATCH_WINDOW:-0}" == 1 ]]; then
        start_client "$run/yellow" "$port" yellow01 "$second_name" yelpass1 "$bin/skerrow" \
            --connect "${second[@]}"
        local window=$!
        wait_for "$server" "$limit" || status=1
        wait_for "$red" 30 || status=1
        echo "The game is over; close the Skerrow window to finish." >&2
        wait "$window" || status=1
        return $status
    fi
    start_client "$run/yellow" "$port" yellow01 "$second_name" yelpass1 "$bin/skerrow-cli" \
        "${second[@]}"
    local yellow=$!
    wait_for "$server" "$limit" || status=1
    wait_for "$red" 30 || status=1
    wait_for "$yellow" 30 || status=1
    return $status
}

# wait_until PID TRIES COMMAND...: runs COMMAND every 0.1 s until it succeeds;
# fails when the process PID has ended or after TRIES tries.
wait_until() {
    local pid=$1 tries=$2 tried=0
    shift 2
    until "$@" 2>/dev/null; do
        if ! kill -0 "$pid" 2>/dev/null || ((tried >= tries)); then
            return 1
        fi
        sleep 0.1
        tried=$((tried + 1))
    done
}

# start_client FOLDER PORT ID NAME PASSWORD CLIENT [--connect] ENGINE [ENGINE_ARG...]
# Starts the client (skerrow-cli, or the skerrow window with --connect) in
# FOLDER, relaying for the engine program with its arguments.
start_client() {
    local folder=$1 port=$2 id=$3 name=$4 password=$5 client=$6
    shift 6
    local connect=()
    if [[ "$1" == --connect ]]; then
        connect=(--connect)
        shift
    fi
    local engine=$1
    shift
    (cd "$folder" && SKERROW_PASSWORD=$password exec "$client" "${connect[@]}" \
        --address 127.0.0.1 --port "$port" --id "$id" --name "$name" \
        --engine "$engine" -- "$@" \
        >"$folder/client.out" 2>"$folder/client.err") &
}

# show_match_failure RUN_DIR MESSAGE: says what failed, then every output of
# the match in RUN_DIR (server and clients), on standard error, for a test.
show_match_failure() {
    local run=$1 file
    echo "FAILED: $2" >&2
    for file in "$run"/server.out "$run"/server.err "$run"/*/client.out "$run"/*/client.err; do
        echo "--- $file" >&2
        cat "$file" >&2 || true
    done
}

# wait_for PID SECONDS: waits for the process, killing it when it takes
# longer; fails when it was killed or exited non-zero.
wait_for() {
    local pid=$1 seconds=$2 waited=0
    while kill -0 "$pid" 2>/dev/null; do
        if ((waited >= seconds * 10)); then
            echo "Process $pid took longer than $seconds s; stopping it." >&2
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
            return 1
        fi
        sleep 0.1
        waited=$((waited + 1))
    done
    wait "$pid"
}

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
    run_match "$@"
fi
