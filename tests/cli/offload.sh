#!/usr/bin/env bash
# stowline-cli offload end to end: copies, skips, replaces, refuses bad destinations and
# cancels cleanly on SIGINT.
. "$(dirname "$0")/lib.sh"

card="$work/card"
mkdir -p "$card/A001/.meta" "$card/B002/deep/er" "$card/C003/empty/too" "$work/d1" "$work/d2"
head -c 20000000 /dev/urandom >"$card/A001/CLIP0001.MOV"
head -c 4096 /dev/urandom >"$card/A001/.meta/hidden.bin"
echo "sidecar" >"$card/B002/deep/er/CLIP0002.XML"
: >"$card/B002/empty.txt"
echo "finder" >"$card/.DS_Store"
echo "fork" >"$card/A001/._CLIP0001.MOV"

# First run: everything verified at both destinations.
"$cli" offload "$card" --dest "$work/d1" --dest "$work/d2" >"$work/out1" 2>"$work/err1" ||
    fail "first run exited $? ($(cat "$work/err1"))"
for dest in "$work/d1" "$work/d2"; do
    [[ ! -e "$dest/card/.DS_Store" && ! -e "$dest/card/A001/._CLIP0001.MOV" ]] || fail "ignored names were copied"
    # Every byte and the whole structure, empty files and folders too; only the ignored names are left behind.
    diff -r -x .DS_Store -x '._*' "$card" "$dest/card" || fail "$dest/card differs from the card"
done
[[ $(grep -c "^verified" "$work/out1") -eq 4 ]] || fail "expected 4 verified lines: $(cat "$work/out1")"

# Second run: nothing to do.
"$cli" offload "$card" --dest "$work/d1" --dest "$work/d2" >"$work/out2" || fail "second run exited $?"
[[ $(grep -c "^skipped" "$work/out2") -eq 4 ]] || fail "second run did not skip everything: $(cat "$work/out2")"

# A destination file changed in place (same size) is copied again and verified.
printf 'X' | dd of="$work/d2/card/A001/CLIP0001.MOV" bs=1 seek=1000 conv=notrunc status=none
"$cli" offload "$card" --dest "$work/d1" --dest "$work/d2" >"$work/out3" || fail "third run exited $?"
grep -q $'^verified\tcard/A001/CLIP0001.MOV' "$work/out3" || fail "changed copy not re-verified: $(cat "$work/out3")"
cmp -s "$card/A001/CLIP0001.MOV" "$work/d2/card/A001/CLIP0001.MOV" || fail "changed copy not replaced"

# Usage errors: exit 2 and nothing written.
expect_usage() {
    local status=0
    "$cli" offload "$@" >/dev/null 2>"$work/usage" || status=$?
    [[ $status -eq 2 ]] || fail "expected exit 2 for: $* (got $status)"
}
expect_usage "$card" --dest "$work/d1" --dest "$work/d1/"
expect_usage "$card" --dest "$work/d1" --dest "$work/d1/../d1"
expect_usage "$card"
expect_usage --dest "$work/d1"
expect_usage "$card" --dest "$work/missing"
expect_usage "$card" --dest "$work/d1" --on-full later
mkdir -p "$card/backup"
expect_usage "$card" --dest "$card/backup"
grep -q "inside the source" "$work/usage" || fail "no clear message for a destination inside the source"
[[ -z "$(ls -A "$card/backup")" ]] || fail "something was written into the source"
expect_usage "$card" --dest "$card"
expect_usage "$card" --dest "$work"
rmdir "$card/backup"

# SIGINT during a bigger job: exit 130, no temporary files, finished copies untouched.
big="$work/big"
mkdir -p "$big" "$work/d3"
for i in 1 2 3 4; do head -c 50000000 /dev/urandom >"$big/clip$i.mov"; done
mkdir -p "$work/d3/big"
echo "keep me" >"$work/d3/big/clip4.mov"
"$cli" offload "$big" --dest "$work/d3" >"$work/out4" 2>&1 &
pid=$!
for _ in $(seq 1 100); do
    compgen -G "$work/d3/big/*.stowline-partial" >/dev/null && break
    sleep 0.02
done
kill -INT "$pid"
kill -INT "$pid" 2>/dev/null || true # a second Ctrl-C must do no harm
status=0
wait "$pid" || status=$?
[[ $status -eq 130 ]] || fail "SIGINT gave exit $status: $(cat "$work/out4")"
[[ -z "$(find "$work/d3" -name '*.stowline-partial')" ]] || fail "temporary files left after SIGINT"
[[ "$(cat "$work/d3/big/clip4.mov")" == "keep me" ]] || fail "an existing file was touched by a cancelled job"
for copy in "$work"/d3/big/clip*.mov; do
    [[ "$copy" == */clip4.mov ]] && continue
    cmp -s "$copy" "$big/$(basename "$copy")" || fail "$copy is under its final name but incomplete"
done
echo "offload: all checks passed"
