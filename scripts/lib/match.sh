#!/usr/bin/env bash
# Plays one match on this machine: the reference server on a free loopback
# port and two skerrow-cli, each with the sample engine, each in a folder of
# its own (so that their match logs do not mix). Sourced by scripts/play and
# by the end-to-end test.
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

    # Red logs in first: the server gives the first player to log in red.
    start_client "$bin" "$run/red" "$port" red01 Red redpass1 1
    local red=$!
    if ! wait_until "$red" 300 grep -q "logged in" "$run/red/client.out"; then
        echo "The red client did not log in:" >&2
        cat "$run/red/client.err" >&2
        kill "$server" 2>/dev/null || true
        return 1
    fi
    local status=0
    if [[ "${SKERROW_MATCH_WINDOW:-0}" == 1 ]]; then
        start_window "$bin" "$run/yellow" "$port" yellow01 Yellow yelpass1 2
        local window=$!
        wait_for "$server" "$limit" || status=1
        wait_for "$red" 30 || status=1
        echo "The game is over; close the Skerrow window to finish." >&2
        wait "$window" || status=1
        return $status
    fi
    start_client "$bin" "$run/yellow" "$port" yellow01 Yellow yelpass1 2
    local yellow=$!
    wait_for "$server" "$limit" || status=1
    wait_for "$red" 30 || status=1
    wait_for "$yellow" 30 || status=1
    return $status
}

# start_window BIN_DIR FOLDER PORT ID NAME PASSWORD SEED: the Skerrow window
# with the sample engine chosen, connecting at start-up.
start_window() {
    local bin=$1 folder=$2 port=$3 id=$4 name=$5 password=$6 seed=$7
    (cd "$folder" && SKERROW_PASSWORD=$password exec "$bin/skerrow" --connect \
        --address 127.0.0.1 --port "$port" --id "$id" --name "$name" \
        --engine "$bin/sample-engine" -- --seed "$seed" \
        >"$folder/client.out" 2>"$folder/client.err") &
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

# start_client BIN_DIR FOLDER PORT ID NAME PASSWORD SEED
start_client() {
    local bin=$1 folder=$2 port=$3 id=$4 name=$5 password=$6 seed=$7
    (cd "$folder" && SKERROW_PASSWORD=$password exec "$bin/skerrow-cli" \
        --address 127.0.0.1 --port "$port" --id "$id" --name "$name" \
        --engine "$bin/sample-engine" -- --seed "$seed" \
        >"$folder/client.out" 2>"$folder/client.err") &
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
