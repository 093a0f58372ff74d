#!/usr/bin/env bash
# skerrow-match as a user runs it, with the sample engine as the engines.
#
#   series_end_to_end.sh BIN_DIR SOURCE_DIR CASE
#
# CASE: series   4 pairs of 2-end games, concurrency 2, sample vs plain:
#                records, report, exit status
#       resume   a series killed mid-way and resumed ends with the totals of
#                an uninterrupted one with the same seed
#       failing  engines that crash, never start or answer garbage
#       shards   shards run with GNU parallel and merged report what the
#                unsharded series reports
set -euo pipefail
bin=$1
source_dir=$2
case_name=$3

run=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$run"' EXIT

fail() {
    echo "FAILED ($case_name): $*" >&2
    for file in "$run"/*.out "$run"/*.err; do
        [[ -f "$file" ]] && { echo "--- $file" >&2; tail -n 30 "$file" >&2; }
    done
    exit 1
}

# A field of a JSON summary: json_field FILE PYTHON-EXPRESSION-ON-s
json_field() {
    python3 -c "import json,sys; s=json.load(open(sys.argv[1])); print($2)" "$1"
}

# The summary without what depends on the machine's speed or the run's shape.
comparable() {
    python3 - "$1" <<'PY'
import json, sys
s = json.load(open(sys.argv[1]))
for key in ("seconds", "shard", "totalGames", "stopped"):
    s.pop(key, None)
for row in s["pairings"]:
    row.pop("msPerStone")
print(json.dumps(s, sort_keys=True, indent=1))
PY
}

# The records in a folder that hold a whole game.
finished_games() {
    { grep -l '"event":"gameover"' "$1"/game-*.jsonl 2>/dev/null || true; } | wc -l
}

sample=("$bin/sample-engine")
# Deterministic: with this much time the sample engine always stops at its
# sample cap, so the same seed gives the same games however busy the machine.
# Its older sampling has the lower cap, which keeps the sanitized build's
# runs well inside the time limit.
steady=(--engine NAME=sample CMD="$bin/sample-engine" --legacy-sampling --max-think-ms 100000
    --engine NAME=plain CMD="$bin/sample-engine" --plain)

case $case_name in
series)
    status=0
    "$bin/skerrow-match" --games 4 --ends 2 --concurrency 2 --seed 11 --time 60 \
        --records "$run/records" \
        --engine NAME=sample CMD="${sample[@]}" --max-think-ms 30 \
        --engine NAME=plain CMD="${sample[@]}" --plain \
        >"$run/series.out" 2>"$run/series.err" || status=$?
    ((status == 0)) || fail "exit status $status"
    records=$(ls "$run/records"/game-*.jsonl | wc -l)
    ((records == 8)) || fail "expected 8 records, found $records"
    for n in 1 3 5 7; do
        [[ -f "$run/records/game-$n-sample-plain.jsonl" ]] || fail "game $n: sample is not red"
        next=$((n + 1))
        [[ -f "$run/records/game-$next-plain-sample.jsonl" ]] || fail "game $next: colours not swapped"
        # Both games of a pair are played with the same seed.
        seed_a=$(head -n 1 "$run/records/game-$n-sample-plain.jsonl" | python3 -c 'import json,sys; print(json.load(sys.stdin)["seed"])')
        seed_b=$(head -n 1 "$run/records/game-$next-plain-sample.jsonl" | python3 -c 'import json,sys; print(json.load(sys.stdin)["seed"])')
        [[ "$seed_a" == "$seed_b" ]] || fail "pair of game $n: seeds $seed_a and $seed_b"
    done
    for record in "$run/records"/game-*.jsonl; do
        tail -n 1 "$record" | grep -q '"event":"gameover"' || fail "$record has no gameover"
        [[ $(grep -c '"event":"score"' "$record") -eq 2 ]] || fail "$record: expected 2 ends"
    done
    summary="$run/records/summary.json"
    [[ $(json_field "$summary" 's["games"]') == 8 ]] || fail "summary: games"
    [[ $(json_field "$summary" 's["pairs"]') == 4 ]] || fail "summary: pairs"
    [[ $(json_field "$summary" 'sum(s["pairings"][0]["pentanomial"])') == 4 ]] || fail "summary: pentanomial"
    [[ $(json_field "$summary" 'sum(s["pairings"][0][k] for k in ("wins", "losses", "draws"))') == 8 ]] ||
        fail "summary: W-L-D"
    [[ $(json_field "$summary" 's["pairings"][0]["msPerStone"][0] > 0') == True ]] || fail "summary: time per stone"
    grep -q '^sample vs plain  *8 ' "$run/series.out" || fail "the table has no row for sample vs plain"
    # Not a terminal: one progress line per pair.
    [[ $(grep -c '^games ' "$run/series.err") -eq 4 ]] || fail "expected 4 progress lines"
    [[ -s "$run/records/logs/sample.log" || -f "$run/records/logs/sample.log" ]] || fail "no engine log"
    ;;
resume)
    options=(--games 3 --ends 1 --concurrency 2 --seed 23 --time 3600)
    "$bin/skerrow-match" "${options[@]}" --records "$run/whole" --json "${steady[@]}" \
        >"$run/whole.out" 2>"$run/whole.err" || fail "the uninterrupted series failed"
    "$bin/skerrow-match" "${options[@]}" --records "$run/cut" --json "${steady[@]}" \
        >"$run/cut.out" 2>"$run/cut.err" &
    series=$!
    # Killed, engines and all, once two games are over and others are under way.
    for ((i = 0; i < 600; i++)); do
        done_games=$(finished_games "$run/cut")
        ((done_games >= 2)) && break
        sleep 0.1
    done
    ((done_games >= 2)) || fail "the series did not get going"
    # The series first: engines killed before it would lose their games by
    # forfeit, and it would record that.
    engines=$(pgrep -P "$series" || true)
    kill -KILL "$series"
    wait "$series" 2>/dev/null || true
    [[ -z "$engines" ]] || kill -KILL $engines 2>/dev/null || true
    [[ ! -f "$run/cut/summary.json" ]] || fail "the series finished before it was killed"
    before=$(finished_games "$run/cut")
    "$bin/skerrow-match" --resume "$run/cut" >"$run/resume.out" 2>"$run/resume.err" ||
        fail "the resumed series failed"
    grep -q "$before games already played" "$run/resume.err" || fail "the resume did not count the games played"
    diff <(comparable "$run/whole/summary.json") <(comparable "$run/cut/summary.json") >&2 ||
        fail "the resumed series differs from the uninterrupted one"
    # A finished series resumes to nothing new; another series' records are refused.
    "$bin/skerrow-match" --resume "$run/cut" >"$run/again.out" 2>&1 || fail "resuming a finished series failed"
    grep -q "6 games already played" "$run/again.out" || fail "a finished series was played again"
    cp "$run/whole/game-1-sample-plain.jsonl" "$run/whole/game-1-sample-plain.jsonl.keep"
    sed -i 's/"seed":[0-9]*/"seed":1/' "$run/whole/game-1-sample-plain.jsonl"
    if "$bin/skerrow-match" --resume "$run/whole" >"$run/other.out" 2>&1; then
        fail "records of another seed were taken"
    fi
    grep -q "another series" "$run/other.out" || fail "no clear message for records of another series"
    ;;
failing)
    # An engine that cannot start loses every game by forfeit; the series
    # stops after a few with a clear message and status 1.
    status=0
    "$bin/skerrow-match" --games 5 --ends 1 --seed 3 --records "$run/gone" \
        --engine NAME=sample CMD="${sample[@]}" --plain \
        --engine NAME=ghost CMD="$run/no-such-engine" \
        >"$run/gone.out" 2>"$run/gone.err" || status=$?
    ((status == 1)) || fail "expected status 1 for an engine that never starts, got $status"
    grep -q "ghost lost 3 games in a row by forfeit" "$run/gone.err" || fail "no clear message"
    [[ $(ls "$run/gone"/game-*.jsonl | wc -l) -lt 10 ]] || fail "the series did not stop early"
    grep -q "ghost did not start" "$run/gone/logs/referee.log" || fail "the referee log does not say why"
    # One that crashes in its first game only, one that answers garbage: the
    # crash forfeits that game, garbage costs stones, the series goes on.
    cat >"$run/flaky.sh" <<SH
#!/usr/bin/env bash
# Crashes in the first game it plays, then plays as the plain engine.
if mkdir "$run/flaky-crashed" 2>/dev/null; then
    echo "flaky: crashing now" >&2
    head -c 20 >/dev/null
    exit 3
fi
exec "$bin/sample-engine" --plain
SH
    cat >"$run/garbage.py" <<'PY'
#!/usr/bin/env python3
import sys
buffer = b""
while True:
    byte = sys.stdin.buffer.read(1)
    if not byte:
        break
    if byte != b"\0":
        buffer += byte
        continue
    message, buffer = buffer.decode(), b""
    if message == "ISREADY":
        print("READYOK", flush=True)
    elif message.startswith("GO"):
        print("BESTSHOT not a number", flush=True)
PY
    chmod +x "$run/flaky.sh" "$run/garbage.py"
    "$bin/skerrow-match" --games 2 --ends 1 --seed 4 --records "$run/bad" --json \
        --engine NAME=flaky CMD="$run/flaky.sh" \
        --engine NAME=garbage CMD="$run/garbage.py" \
        >"$run/bad.out" 2>"$run/bad.err" || fail "a series with a crash and garbage failed"
    summary="$run/bad/summary.json"
    [[ $(json_field "$summary" 's["games"]') == 4 ]] || fail "not every game was played"
    [[ $(json_field "$summary" 's["pairings"][0]["forfeits"]') == "[1, 0]" ]] ||
        fail "the crash did not forfeit exactly one game"
    [[ $(json_field "$summary" '(s["pairings"][0]["wins"], s["pairings"][0]["losses"])') == "(3, 1)" ]] ||
        fail "expected the crash to lose one game and the drawing engine to win the rest"
    grep -q "crashing now" "$run/bad/logs/flaky.log" || fail "the engine's stderr is not in its log"
    grep -q '"reason":"garbage"' "$run/bad"/game-2-*.jsonl || fail "garbage did not cost stones"
    ;;
shards)
    command -v parallel >/dev/null || fail "GNU parallel is missing"
    options=(--games 4 --ends 1 --seed 37 --time 3600 --json)
    "$source_dir/scripts/match-shards" --shards 3 --jobs 2 --out "$run/sharded" --bin "$bin" -- \
        "${options[@]}" "${steady[@]}" >"$run/sharded.out" 2>"$run/sharded.err" ||
        fail "the sharded series failed"
    "$bin/skerrow-match" "${options[@]}" --concurrency 2 --records "$run/whole" "${steady[@]}" \
        >"$run/whole.out" 2>"$run/whole.err" || fail "the unsharded series failed"
    # Shards 1 to 3 of 4 pairs: pairs {0, 3}, {1}, {2}.
    [[ $(ls "$run/sharded/shard-1"/game-*.jsonl | tr '\n' ' ') == *game-1-*game-2-*game-7-*game-8-* ]] ||
        fail "shard 1 did not play pairs 0 and 3"
    [[ $(ls "$run/sharded/shard-2"/game-*.jsonl | wc -l) -eq 2 ]] || fail "shard 2 did not play one pair"
    diff <(comparable "$run/sharded.out") <(comparable "$run/whole/summary.json") >&2 ||
        fail "the merged report differs from the unsharded run"
    [[ $(json_field "$run/sharded.out" 's["games"]') == 8 ]] || fail "the merge did not count 8 games"
    # The same shard merged twice is refused.
    if "$bin/skerrow-match" --merge "$run/sharded/shard-1" "$run/sharded/shard-1" >"$run/twice.out" 2>&1; then
        fail "a shard merged twice was taken"
    fi
    ;;
*)
    echo "unknown case $case_name" >&2
    exit 2
    ;;
esac
echo "PASSED ($case_name)"
