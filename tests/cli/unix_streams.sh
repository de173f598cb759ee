#!/usr/bin/env bash
# stowline-cli offload as an ordinary Unix tool: a reader that goes away, a closed terminal
# (SIGHUP, and nohup), standard descriptors closed at start, "ask" with no terminal, and
# "wait" for a file larger than the whole drive. The drive cases mount a small tmpfs in a
# mount namespace of their own, and are skipped with a message where mounting is refused.
own_mounts=1
. "$(dirname "$0")/lib.sh"
note() { echo "unix_streams: $*"; }
export LC_ALL=C.UTF-8

make_card() { # make_card DIR COUNT KB
    mkdir -p "$1"
    local i
    for ((i = 1; i <= $2; i++)); do head -c "$(($3 * 1000))" /dev/urandom >"$1/clip$i.mov"; done
}

# --- A reader that goes away: the job goes on and ends as it would have ----------------------
card="$work/card"
make_card "$card" 39 300
mkdir -p "$work/p"
{
    status=0
    timeout 120 "$cli" offload "$card" --dest "$work/p" 2>"$work/p.err" || status=$?
    echo "$status" >"$work/p.status"
} | head -1 >/dev/null
status="$(cat "$work/p.status")"
[[ $status -eq 0 ]] || fail "offload | head -1 exited $status: $(cat "$work/p.err")"
complete_copy "$card" "$work/p"
[[ -n "$(find "$work/p/Hash Log" -name '*.mhl')" ]] || fail "no Hash Log after the reader went away"

# --- SIGHUP is a clean cancel; under nohup the job survives it --------------------------------
big="$work/big"
make_card "$big" 6 40000
mkdir -p "$work/h"
"$cli" offload "$big" --dest "$work/h" >"$work/h.out" 2>&1 &
pid=$!
wait_for "$work/h/big/*.stowline-partial" || fail "the copy never started"
kill -HUP "$pid"
status=0
wait "$pid" || status=$?
[[ $status -eq 130 ]] || fail "SIGHUP gave exit $status: $(cat "$work/h.out")"
[[ -z "$(find "$work/h" -name '*.stowline-partial')" ]] || fail "temporary files left after SIGHUP"

rm -rf "$work/h" && mkdir -p "$work/h"
nohup "$cli" offload "$big" --dest "$work/h" >"$work/h.out" 2>&1 &
pid=$!
wait_for "$work/h/big/*.stowline-partial" || fail "the copy never started under nohup"
kill -HUP "$pid"
status=0
wait "$pid" || status=$?
[[ $status -eq 0 ]] || fail "under nohup, SIGHUP gave exit $status: $(cat "$work/h.out")"
complete_copy "$big" "$work/h"

# --- Every standard descriptor closed: messages on "stderr" never cancel the job -------------
# A folder where one destination's copy must go: that destination fails, loudly, and the
# other goes on to the end.
mkdir -p "$work/c1/card/clip3.mov" "$work/c2"
status=0
timeout 120 "$cli" offload "$card" --dest "$work/c1" --dest "$work/c2" <&- >&- 2>&- || status=$?
[[ $status -eq 1 ]] || fail "with closed descriptors the job exited $status (expected 1: a destination failed)"
complete_copy "$card" "$work/c2"

# --- Drives: "ask" without a terminal, "wait" for a file larger than the drive ----------------
if mount_tmpfs "$work/small" size=2m; then
    mkdir -p "$work/wide" "$work/huge"
    head -c 3000000 /dev/urandom >"$work/huge/clip.mov"
    status=0
    timeout 60 "$cli" offload "$work/huge" --dest "$work/small" --dest "$work/wide" --on-full ask \
        <&- >"$work/a.out" 2>"$work/a.err" || status=$?
    [[ $status -eq 1 ]] || fail "ask without a terminal exited $status: $(cat "$work/a.err")"
    grep -q "not a terminal" "$work/a.err" || fail "ask without a terminal did not say why it dropped"
    complete_copy "$work/huge" "$work/wide"

    rm -rf "$work/wide" && mkdir -p "$work/wide"
    status=0
    timeout 60 "$cli" offload "$work/huge" --dest "$work/small" --dest "$work/wide" --on-full wait \
        >"$work/w.out" 2>"$work/w.err" || status=$?
    [[ $status -eq 1 ]] || fail "wait for a file larger than the drive exited $status: $(cat "$work/w.err")"
    grep -q "larger than the whole drive" "$work/w.err" || fail "no reason given: $(cat "$work/w.err")"
    complete_copy "$work/huge" "$work/wide"
else
    note "SKIP the drive cases: mounting is not permitted here"
fi
