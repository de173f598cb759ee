#!/usr/bin/env bash
# stowline-cli offload against real faults: a drive that fills up, a destination deleted or
# lazily unmounted mid-job, a source cut short while read, names a drive cannot tell apart,
# read-only and forbidden destinations, an unreadable source folder, and the process killed
# at random moments. After each: nothing under a final name differs from its source, no
# temporary file is left where the job gave up, and the exit status says "not clean".
# Parts that need mounting or another user are skipped, with a message, where not permitted.
set -euo pipefail
cli="$1"
work="$(mktemp -d)"
chmod 755 "$work"
mounts=()
cleanup() {
    local m
    for m in "${mounts[@]}"; do
        umount -l "$m" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
note() { echo "faults: $*"; }

# mount_tmpfs DIR OPTIONS: a small real drive; false when mounting is not permitted.
mount_tmpfs() {
    mkdir -p "$1"
    mount -t tmpfs -o "$2" tmpfs "$1" 2>/dev/null || return 1
    mounts+=("$1")
}

can_mount=1
if ! mount_tmpfs "$work/probe" size=1m; then
    can_mount=0
    note "SKIP the drive tests: mounting is not permitted here"
fi

# run_cli OUT ERR ARGS...: runs the tool; its exit status is left in $status.
run_cli() {
    local out="$1" err="$2"
    shift 2
    status=0
    "$cli" offload "$@" >"$out" 2>"$err" || status=$?
}

# Every file under a final name in DEST/<card name> is byte-identical to the file of the
# same path in CARD; no .stowline-partial is left unless $2 says "partials-allowed".
check_copies() {
    local card="$1" dest="$2" partials="${3:-}" name rel
    name="$(basename "$card")"
    [[ -d "$dest/$name" ]] || return 0
    while IFS= read -r -d '' file; do
        rel="${file#"$dest/$name/"}"
        if [[ "$file" == *.stowline-partial ]]; then
            [[ "$partials" == partials-allowed ]] || fail "temporary file left: $file"
            continue
        fi
        cmp -s "$file" "$card/$rel" || fail "$file is under its final name but differs from its source"
    done < <(find "$dest/$name" -type f -print0)
}

# When the tool wrote a hash list into DEST, every file it lists is there with that hash.
check_hash_list() {
    local dest="$1" list file hash
    for list in "$dest/Hash Log"/*.mhl; do
        [[ -e "$list" ]] || return 0
        xmllint --noout "$list" || fail "$list is not well-formed"
        while IFS=$'\t' read -r file hash; do
            [[ -f "$dest/$file" ]] || fail "$list lists $file, which $dest does not hold"
            [[ "$(xxhsum -H1 "$dest/$file" | cut -d' ' -f1)" == "$hash" ]] ||
                fail "$list gives $file a hash its copy does not have"
        done < <(xmllint --xpath '//hash' "$list" 2>/dev/null |
            sed -n 's:.*<file>\(.*\)</file>.*:\1:p; s:.*<xxhash64[a-z]*>\(.*\)</xxhash64[a-z]*>.*:\1:p' |
            paste - -)
    done
}

make_card() { # make_card DIR SIZE_MB...
    local dir="$1" i=1
    shift
    mkdir -p "$dir"
    for mb in "$@"; do
        head -c "$((mb * 1000000))" /dev/urandom >"$dir/clip$i.mov"
        i=$((i + 1))
    done
    chmod -R a+rX "$dir"
}

# wait_for GLOB: until a file matches (the copy under way), at most ~10 s.
wait_for() {
    local _
    for _ in $(seq 1 2000); do
        compgen -G "$1" >/dev/null && return 0
        sleep 0.005
    done
    return 1
}

# --- A drive that fills up part-way, answered with "drop" ---------------------------------
if ((can_mount)); then
    card="$work/fill/card"
    make_card "$card" 24 4 4 4
    mount_tmpfs "$work/fill/small" size=30m
    mkdir -p "$work/fill/big"
    "$cli" offload "$card" --dest "$work/fill/small" --dest "$work/fill/big" --on-full drop \
        >"$work/fill/out" 2>"$work/fill/err" &
    pid=$!
    # Another program filling the drive during the first copy gives a real ENOSPC mid-write;
    # if the copy wins the race, the room check before a later file finds the drive full.
    wait_for "$work/fill/small/card/*.stowline-partial" &&
        { dd if=/dev/zero of="$work/fill/small/filler" bs=1M status=none 2>/dev/null || true; }
    status=0
    wait "$pid" || status=$?
    [[ $status -eq 1 ]] || fail "a filled drive gave exit $status: $(cat "$work/fill/err")"
    grep -q "ran out of space\|is full" "$work/fill/err" || fail "no clear message for the full drive"
    grep -q "ran out of space" "$work/fill/err" && how="mid-write" || how="at the room check"
    rm -f "$work/fill/small/filler"
    check_copies "$card" "$work/fill/small"
    check_copies "$card" "$work/fill/big"
    for f in "$card"/*; do
        cmp -s "$f" "$work/fill/big/card/$(basename "$f")" || fail "the other drive lacks $(basename "$f")"
    done
    check_hash_list "$work/fill/small"
    check_hash_list "$work/fill/big"
    note "full drive dropped $how; other destination complete"
fi

# --- A destination deleted mid-job ----------------------------------------------------------
card="$work/gone/card"
make_card "$card" 100 5 5
mkdir -p "$work/gone/d1" "$work/gone/d2"
"$cli" offload "$card" --dest "$work/gone/d1" --dest "$work/gone/d2" >"$work/gone/out" 2>"$work/gone/err" &
pid=$!
wait_for "$work/gone/d2/card/*.stowline-partial" || fail "the copy never started"
rm -rf "$work/gone/d2"
status=0
wait "$pid" || status=$?
[[ $status -eq 1 ]] || fail "a deleted destination gave exit $status: $(cat "$work/gone/err")"
grep -q "d2 left the job: it was disconnected" "$work/gone/err" ||
    fail "no disconnection reported: $(cat "$work/gone/err")"
[[ ! -e "$work/gone/d2" ]] || fail "the deleted destination was created again"
for f in "$card"/*; do
    cmp -s "$f" "$work/gone/d1/card/$(basename "$f")" || fail "the remaining destination lacks $(basename "$f")"
done
check_copies "$card" "$work/gone/d1"
note "deleted destination disconnected; the other complete"

# --- A destination lazily unmounted mid-job -------------------------------------------------
if ((can_mount)); then
    card="$work/lazy/card"
    make_card "$card" 100 5 5
    mkdir -p "$work/lazy/d1"
    mount_tmpfs "$work/lazy/d2" size=200m
    "$cli" offload "$card" --dest "$work/lazy/d1" --dest "$work/lazy/d2" >"$work/lazy/out" 2>"$work/lazy/err" &
    pid=$!
    wait_for "$work/lazy/d2/card/*.stowline-partial" || fail "the copy never started"
    umount -l "$work/lazy/d2"
    status=0
    wait "$pid" || status=$?
    [[ $status -eq 1 ]] || fail "an unmounted destination gave exit $status: $(cat "$work/lazy/err")"
    grep -q "d2 left the job: it was disconnected" "$work/lazy/err" ||
        fail "no disconnection reported: $(cat "$work/lazy/err")"
    # The empty mount point left behind is on the machine's own disk: nothing may land there.
    [[ -z "$(ls -A "$work/lazy/d2")" ]] || fail "files were written under the vanished mount point"
    for f in "$card"/*; do
        cmp -s "$f" "$work/lazy/d1/card/$(basename "$f")" || fail "the remaining destination lacks $(basename "$f")"
    done
    note "lazily unmounted destination disconnected; nothing written on the disk below it"
fi

# --- A source cut short while it is read ----------------------------------------------------
card="$work/cut/card"
make_card "$card" 150 1
original="$(xxhsum -H1 "$card/clip1.mov" | cut -d' ' -f1)"
mkdir -p "$work/cut/d1"
"$cli" offload "$card" --dest "$work/cut/d1" >"$work/cut/out" 2>"$work/cut/err" &
pid=$!
wait_for "$work/cut/d1/card/clip1.mov.stowline-partial" || fail "the copy never started"
truncate -s 1000000 "$card/clip1.mov"
status=0
wait "$pid" || status=$?
if grep -q "^failed.*changed while it was being copied.*clip1.mov" "$work/cut/out"; then
    [[ ! -e "$work/cut/d1/card/clip1.mov" ]] || fail "a copy of the cut source was left under its final name"
    [[ $status -eq 1 ]] || fail "a cut source gave exit $status"
    note "source cut mid-read: failed, no copy left"
else
    # The copy finished before the cut: it must be the whole original.
    [[ "$(xxhsum -H1 "$work/cut/d1/card/clip1.mov" | cut -d' ' -f1)" == "$original" ]] ||
        fail "a copy of a source cut mid-read passed as verified: $(cat "$work/cut/out")"
    note "source cut after its copy finished: the copy is the original"
fi
grep -q $'^verified\tcard/clip2.mov' "$work/cut/out" || fail "the job did not go on after the cut source"
[[ -z "$(find "$work/cut/d1" -name '*.stowline-partial')" ]] || fail "temporary file left after a cut source"

# --- Names the drive cannot tell apart (a hard link stands in for case folding) -------------
card="$work/fold/card"
mkdir -p "$card" "$work/fold/d1/card"
head -c 300000 /dev/urandom >"$card/Clip.MOV"
head -c 200000 /dev/urandom >"$card/clip.mov"
cp "$card/Clip.MOV" "$card/clip2.mov"
cp "$card/Clip.MOV" "$work/fold/d1/card/Clip.MOV"
ln "$work/fold/d1/card/Clip.MOV" "$work/fold/d1/card/clip.mov"
ln "$work/fold/d1/card/Clip.MOV" "$work/fold/d1/card/clip2.mov"
run_cli "$work/fold/out" "$work/fold/err" "$card" --dest "$work/fold/d1"
[[ $status -eq 1 ]] || fail "colliding names gave exit $status"
grep -q $'^skipped\tcard/Clip.MOV' "$work/fold/out" || fail "the first name was not found in place"
for name in clip.mov clip2.mov; do
    grep -q "^failed: .*\"card/$name\" is the same file on this destination as \"card/Clip.MOV\"" "$work/fold/out" ||
        fail "no collision reported for $name: $(cat "$work/fold/out")"
done
cmp -s "$card/Clip.MOV" "$work/fold/d1/card/Clip.MOV" || fail "the first file was overwritten"
[[ "$(stat -c %h "$work/fold/d1/card/Clip.MOV")" -eq 3 ]] || fail "a colliding name was replaced"
note "colliding names refused, nothing overwritten"

# --- Read-only and forbidden destinations, an unreadable source folder ----------------------
card="$work/perm/card"
make_card "$card" 1 1
if ((can_mount)); then
    mount_tmpfs "$work/perm/ro" size=4m
    mount -o remount,ro "$work/perm/ro"
    run_cli "$work/perm/out" "$work/perm/err" "$card" --dest "$work/perm/ro"
    [[ $status -eq 1 ]] || fail "a read-only destination gave exit $status"
    grep -q "Read-only file system" "$work/perm/err" || fail "no clear message: $(cat "$work/perm/err")"
    [[ -z "$(ls -A "$work/perm/ro")" ]] || fail "something was written to a read-only drive"
    note "read-only destination: clear message, nothing written"
fi
as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
if "${as_nobody[@]}" true 2>/dev/null && "${as_nobody[@]}" test -x "$cli"; then
    mkdir -p "$work/perm/locked" "$work/perm/open"
    chmod 755 "$work/perm" "$work/perm/locked"
    chown nobody "$work/perm/open"
    status=0
    "${as_nobody[@]}" "$cli" offload "$card" --dest "$work/perm/locked" >"$work/perm/out" 2>"$work/perm/err" ||
        status=$?
    [[ $status -eq 1 ]] || fail "a forbidden destination gave exit $status"
    grep -q "Permission denied" "$work/perm/err" || fail "no clear message: $(cat "$work/perm/err")"
    [[ -z "$(ls -A "$work/perm/locked")" ]] || fail "something was written without permission"

    mkdir -p "$card/private"
    echo secret >"$card/private/notes.txt"
    chmod 700 "$card/private"
    status=0
    "${as_nobody[@]}" "$cli" offload "$card" --dest "$work/perm/open" >"$work/perm/out" 2>"$work/perm/err" ||
        status=$?
    [[ $status -eq 1 ]] || fail "an unreadable source folder gave exit $status"
    grep -q "cannot read the sources: .*private" "$work/perm/err" || fail "no clear message: $(cat "$work/perm/err")"
    [[ -z "$(ls -A "$work/perm/open")" ]] || fail "a job over an unreadable source wrote something"
    note "forbidden destination and unreadable source folder: clear messages, nothing written"
else
    note "SKIP the permission tests: cannot run as user nobody here"
fi

# --- Killed at random moments, then run to the end ------------------------------------------
card="$work/kill/card"
make_card "$card" 12 1 8 0 3 20 1 1 5
mkdir -p "$work/kill/d1" "$work/kill/d2"
RANDOM=7
kills=0
for round in $(seq 1 30); do
    "$cli" offload "$card" --dest "$work/kill/d1" --dest "$work/kill/d2" >/dev/null 2>&1 &
    pid=$!
    sleep "0.$(printf '%03d' $((RANDOM % 400)))"
    kill -KILL "$pid" 2>/dev/null && kills=$((kills + 1))
    wait "$pid" 2>/dev/null || true
    check_copies "$card" "$work/kill/d1" partials-allowed
    check_copies "$card" "$work/kill/d2" partials-allowed
done
run_cli "$work/kill/out" "$work/kill/err" "$card" --dest "$work/kill/d1" --dest "$work/kill/d2"
[[ $status -eq 0 ]] || fail "the run after the kills exited $status: $(cat "$work/kill/err")"
grep -q $'^skipped\t' "$work/kill/out" || fail "the final run did not skip what the killed runs finished"
for f in "$card"/*; do
    for d in d1 d2; do
        cmp -s "$f" "$work/kill/$d/card/$(basename "$f")" || fail "$d lacks $(basename "$f") after the final run"
    done
done
left=$(find "$work/kill" -name '*.stowline-partial' | wc -l)
note "killed $kills times at random moments; final run exit 0, every file identical, $left leftovers"
[[ $left -eq 0 ]] || fail "temporary files outlived the final run"
echo "faults: all checks passed"
