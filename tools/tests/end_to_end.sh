#!/usr/bin/env bash
# A whole match of two ends on loopback: the reference server and two
# skerrow-cli, each with the sample engine. Both clients' match logs must hold
# the same server messages in the same order (GO goes only to the side to
# deliver, so each log has its own), the final SCORE must equal the server's
# record, and every program must exit with 0.
#
#   end_to_end.sh BIN_DIR SOURCE_DIR
set -euo pipefail
bin=$1
source "$2/scripts/lib/match.sh"

run=$(mktemp -d)
trap 'rm -rf "$run"' EXIT

fail() {
    echo "FAILED: $*" >&2
    for file in "$run"/server.out "$run"/server.err "$run"/*/client.out "$run"/*/client.err; do
        echo "--- $file" >&2
        cat "$file" >&2 || true
    done
    exit 1
}

run_match "$bin" "$run" 2 1 --time 60 || fail "a program failed or did not finish"

logs() { find "$run/$1/Log" -name '*.log'; }
[[ $(logs red | wc -l) -eq 1 && $(logs yellow | wc -l) -eq 1 ]] || fail "expected one log per client"
red_log=$(logs red)
yellow_log=$(logs yellow)

server_lines() { grep '^Server: ' "$1" | grep -v '^Server: GO ' || true; }
diff <(server_lines "$red_log") <(server_lines "$yellow_log") >/dev/null ||
    fail "the two logs hold different server messages"
[[ $(server_lines "$red_log" | head -n 1) == "Server: NEWGAME Red Yellow" ]] ||
    fail "the log does not begin with NEWGAME Red Yellow"
[[ $(server_lines "$red_log" | tail -n 1) == "Server: GAMEOVER" ]] || fail "the log does not end with GAMEOVER"
[[ $(server_lines "$red_log" | grep -c '^Server: RUNSHOT ') -eq 32 ]] || fail "expected 32 deliveries"
gos=$(($(grep -c '^Server: GO ' "$red_log") + $(grep -c '^Server: GO ' "$yellow_log")))
[[ $gos -eq 32 ]] || fail "expected 32 GO in all, found $gos"

logged=$(grep '^Server: SCORE ' "$red_log" | tail -n 1 | sed 's/^Server: SCORE //')
record=$(find "$run/records" -name '*.jsonl' | head -n 1)
[[ -n "$record" ]] || fail "no game record"
recorded=$(grep '"event":"score"' "$record" | tail -n 1 | sed 's/.*"scores":\[\([^]]*\)\].*/\1/' | tr ',' ' ')
[[ "$logged" == "$recorded" ]] || fail "final SCORE '$logged' differs from the record's '$recorded'"

grep -q '^Game 1: Red ' "$run/server.out" || fail "no result line from the server"
grep -q 'Game over: ' "$run/red/client.out" || fail "the red client did not report the game's end"
echo "A two-end match: SCORE $logged, logs agree, every program exited 0."
