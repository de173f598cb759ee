#!/usr/bin/env bash
# stowline-cli hash agrees with xxhsum -H1; scan lists files in copy order; errors exit non-zero.
. "$(dirname "$0")/lib.sh"

files=$work/files
mkdir -p "$files"
: >"$files/empty"
printf 'abc' >"$files/small"
head -c $((9 * 1024 * 1024 + 17)) /dev/urandom >"$files/multi-chunk.mov"
head -c 4097 /dev/urandom >"$files/name with spaces.mov"

# hash: same lines as xxhsum -H1, in the order given.
cd "$files"
run "$cli" hash empty small multi-chunk.mov "name with spaces.mov" "$files/small"
[[ $status -eq 0 ]] || fail "hash exited $status: $(cat "$work/err")"
xxhsum -H1 empty small multi-chunk.mov "name with spaces.mov" "$files/small" >"$work/expected"
diff -u "$work/expected" "$work/out" || fail "hash output differs from xxhsum -H1"
grep -qx 'ef46db3751d8e999  empty' "$work/out" || fail "empty file hash"

# An unreadable file is reported, the others are still hashed, and the status is 1.
run "$cli" hash small missing.mov empty
[[ $status -eq 1 ]] || fail "hash with a missing file exited $status"
xxhsum -H1 small empty >"$work/expected"
diff -u "$work/expected" "$work/out" || fail "hash skipped files after the missing one"
grep -q 'missing.mov' "$work/err" || fail "no message naming the missing file"
run "$cli" hash "$files"
[[ $status -eq 1 && ! -s $work/out ]] || fail "hashing a folder exited $status"

run "$cli" hash
[[ $status -eq 2 ]] || fail "hash without files exited $status, not a usage error"

# scan: relative path, tab, size; folders sorted, picked items in order, names made unique.
card=$work/card
mkdir -p "$card/A001/CLIP" "$card/A001/CLIP2" "$work/other/A001"
printf '12345' >"$card/A001/CLIP/1.MOV"
printf '1' >"$card/A001/CLIP2/0.MOV"
printf '12' >"$card/A001/a.MOV"
printf '123' >"$card/A001/B.MOV"
: >"$card/A001/.DS_Store"
printf '1234' >"$work/other/A001/x.mov"
run "$cli" scan "$card/A001" "$work/other/A001" "$files/small"
[[ $status -eq 0 ]] || fail "scan exited $status: $(cat "$work/err")"
printf 'A001/B.MOV\t3\nA001/CLIP/1.MOV\t5\nA001/CLIP2/0.MOV\t1\nA001/a.MOV\t2\nA001 (2)/x.mov\t4\nsmall\t3\n' \
    >"$work/expected"
diff -u "$work/expected" "$work/out" || fail "scan output"

run "$cli" scan "$card/A001" "$work/gone"
[[ $status -eq 1 && ! -s $work/out ]] || fail "scan of a missing item exited $status or printed a partial list"
grep -q "$work/gone" "$work/err" || fail "scan error does not name the missing path"

mkfifo "$work/pipe"
run timeout 10 "$cli" scan "$work/pipe"
[[ $status -eq 1 ]] || fail "scan of a FIFO exited $status"

run "$cli" scan
[[ $status -eq 2 ]] || fail "scan without items exited $status, not a usage error"

echo "hash_scan: all checks passed"
