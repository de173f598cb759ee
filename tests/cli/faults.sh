#!/usr/bin/env bash
# stowline-cli offload against real faults: a drive that fills up, a destination lazily
# unmounted mid-job, read-only and forbidden destinations, an unreadable source folder, and
# the process killed at random moments (the engine tests inject the finer faults through
# their file-operations seam). After each: nothing under a final name differs from its source, no
# temporary file is left where the job gave up, and the exit status says "not clean".
# Parts that need mounting or another user are skipped, with a message, where not permitted.
# Runs in a mount namespace of its own: its drives are nobody else's, and go with it.
own_mounts=1
. "$(dirname "$0")/lib.sh"
chmod 755 "$work" # the checks as another user pass through it
note() { echo "faults: $*"; }

can_mount=1
if [[ "${STOWLINE_OWN_MOUNTS:-}" != 1 ]]; then
    can_mount=0
    note "SKIP the drive tests: no mount namespace of our own here"
elif ! mount_tmpfs "$work/probe" size=1m; then
    can_mount=0
    note "SKIP the drive tests: mounting is not permitted here"
fi

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
    complete_copy "$card" "$work/fill/big"
    check_hash_list "$work/fill/small"
    check_hash_list "$work/fill/big"
    note "full drive dropped $how; other destination complete"
fi

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
    complete_copy "$card" "$work/lazy/d1"
    note "lazily unmounted destination disconnected; nothing written on the disk below it"
fi

# --- Read-only and forbidden destinations, an unreadable source folder ----------------------
card="$work/perm/card"
make_card "$card" 1 1
if ((can_mount)); then
    mount_tmpfs "$work/perm/ro" size=4m
    mount -o remount,ro "$work/perm/ro"
    run "$cli" offload "$card" --dest "$work/perm/ro" --lang en
    [[ $status -eq 1 ]] || fail "a read-only destination gave exit $status"
    grep -qi "read-only" "$work/err" || fail "no clear message: $(cat "$work/err")"
    [[ -z "$(ls -A "$work/perm/ro")" ]] || fail "something was written to a read-only drive"
    note "read-only destination: clear message, nothing written"
fi
as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
if "${as_nobody[@]}" true 2>/dev/null && "${as_nobody[@]}" test -x "$cli"; then
    mkdir -p "$work/perm/locked" "$work/perm/open"
    chmod 755 "$work/perm" "$work/perm/locked"
    chown nobody "$work/perm/open"
    run "${as_nobody[@]}" "$cli" offload "$card" --dest "$work/perm/locked" --lang en
    [[ $status -eq 1 ]] || fail "a forbidden destination gave exit $status"
    grep -qi "permission denied" "$work/err" || fail "no clear message: $(cat "$work/err")"
    [[ -z "$(ls -A "$work/perm/locked")" ]] || fail "something was written without permission"

    mkdir -p "$card/private"
    echo secret >"$card/private/notes.txt"
    chmod 700 "$card/private"
    run "${as_nobody[@]}" "$cli" offload "$card" --dest "$work/perm/open"
    [[ $status -eq 1 ]] || fail "an unreadable source folder gave exit $status"
    grep -q "cannot read the sources: .*private" "$work/err" || fail "no clear message: $(cat "$work/err")"
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
run "$cli" offload "$card" --dest "$work/kill/d1" --dest "$work/kill/d2"
[[ $status -eq 0 ]] || fail "the run after the kills exited $status: $(cat "$work/err")"
grep -q $'^skipped\t' "$work/out" || fail "the final run did not skip what the killed runs finished"
complete_copy "$card" "$work/kill/d1"
complete_copy "$card" "$work/kill/d2"
left=$(find "$work/kill" -name '*.stowline-partial' | wc -l)
note "killed $kills times at random moments; final run exit 0, every file identical, $left leftovers"
[[ $left -eq 0 ]] || fail "temporary files outlived the final run"
echo "faults: all checks passed"
