#!/usr/bin/env bash
# The example Python engine plays a whole 4-end game through the reference
# server and two skerrow-cli, against the sample engine. Every one of its 32
# answers must be a delivery the server played as asked (no garbage, no
# time-out), it must never write to the server unasked (its progress prints
# go to standard error, which must show them), skerrow-cli must have had
# nothing to report about its lines, and every program must exit with 0.
#
#   python_engine_match.sh BIN_DIR SOURCE_DIR PYTHON
set -euo pipefail
bin=$1
source_dir=$2
python=$3
source "$source_dir/scripts/lib/match.sh"

run=$(mktemp -d)
trap 'rm -rf "$run"' EXIT

fail() {
    show_match_failure "$run" "$*"
    exit 1
}

export PYTHONPATH="$source_dir/python"
# Little thinking on both sides keeps the test short; the clock is generous
# so that a busy machine costs no stone.
SKERROW_FIRST_ENGINE=("$python" "$source_dir/examples/python_engine.py" --max-think-ms 100 --seed 3)
SKERROW_FIRST_NAME=Python
SKERROW_SECOND_ENGINE=("$bin/sample-engine" --seed 2 --max-think-ms 100)
SKERROW_SECOND_NAME=Sample
run_match "$bin" "$run" 4 1 --time 60 || fail "a program failed or did not finish"

record=$(find "$run/records" -name '*.jsonl' | head -n 1)
[[ -n "$record" ]] || fail "no game record"
answered=$(grep -c '"event":"shot","side":"red",.*"reason":"answer"' "$record" || true)
[[ $answered -eq 32 ]] || fail "the Python engine's stones played as asked: $answered of 32"
! grep -q '"event":"ignored","side":"red"' "$record" || fail "the Python engine wrote unasked lines"
! grep -q "The engine" "$run/red/client.out" || fail "skerrow-cli reported a line of the Python engine"
[[ $(grep -c '^stone [0-9]*: .* samples' "$run/red/client.err") -eq 32 ]] ||
    fail "the Python engine's progress did not reach standard error"
result=$(grep '^Game 1: ' "$run/server.out") || fail "no result line from the server"
echo "A four-end game of the Python engine against the sample engine: $result"
