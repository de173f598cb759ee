#!/usr/bin/env bash
# stowline-cli verify: a drive checked against its Hash Log names every damaged file, reads
# other tools' lists, refuses a hostile list, and stops on Ctrl-C.
. "$(dirname "$0")/lib.sh"

fail() {
    echo "FAIL: $*" >&2
    echo "--- stdout:" >&2
    cat "$work/out" >&2 || true
    echo "--- stderr:" >&2
    cat "$work/err" >&2 || true
    exit 1
}

# Exact "STATUS  PATH" line: the status padded to 12 columns, two spaces, the path.
expect_line() {
    local line
    line=$(printf '%-12s  %s' "$1" "$2")
    grep -qxF -- "$line" "$work/out" || fail "no line '$line'"
}

xxh() { xxhsum -H1 <"$1" | cut -c1-16; }

# As a user would: offload a card to two drives, then check them. The first stays intact (a
# metadata file no list names must not count as uncovered); the second is damaged every way.
card=$work/offcard
mkdir -p "$card/A001/CLIP" "$work/one" "$work/two"
head -c $((5 * 1024 * 1024 + 3)) /dev/urandom >"$card/A001/CLIP/C0001.MXF"
printf 'second clip' >"$card/A001/CLIP/C0002.MXF"
printf 'third' >"$card/A001/A & B.mov"
: >"$card/A001/empty.xml"
run "$cli" offload "$card/A001" --dest "$work/one" --dest "$work/two"
[[ $status -eq 0 ]] || fail "offload exited $status"
: >"$work/one/A001/._C0001.MXF"

run "$cli" verify "$work/one"
[[ $status -eq 0 ]] || fail "an intact drive exited $status"
expect_line ok A001/CLIP/C0001.MXF
expect_line ok "A001/A & B.mov"
grep -qx '4 listed in 1 hash list: 4 ok' "$work/out" || fail "counts of an intact drive"
grep -qx 'Every listed file is intact.' "$work/out" || fail "no verdict line"
grep -q 'not covered' "$work/out" && fail "ignored names reported as not covered"

# One byte changed for sure: a fixed byte would leave the random clip as it was one time in 256.
was=$(dd if="$work/two/A001/CLIP/C0001.MXF" bs=1 skip=4000000 count=1 status=none | od -An -tu1 | tr -d ' ')
printf "\\$(printf '%03o' $(((was + 1) % 256)))" |
    dd of="$work/two/A001/CLIP/C0001.MXF" bs=1 seek=4000000 conv=notrunc status=none
rm "$work/two/A001/CLIP/C0002.MXF"
truncate -s 2 "$work/two/A001/A & B.mov"
printf 'new' >"$work/two/A001/late.mov"
run "$cli" verify "$work/two"
[[ $status -eq 1 ]] || fail "a damaged drive exited $status"
expect_line changed A001/CLIP/C0001.MXF
expect_line missing A001/CLIP/C0002.MXF
expect_line "size differs" "A001/A & B.mov"
expect_line ok A001/empty.xml
grep -q 'xxHash64 listed' "$work/out" || fail "no detail for the changed file"
grep -qx '4 listed in 1 hash list: 1 ok, 1 changed, 1 size differs, 1 missing' "$work/out" || fail "counts"
grep -qx '1 not covered by any hash list:' "$work/out" || fail "no not-covered heading"
grep -qx '  A001/late.mov' "$work/out" || fail "new file not listed as not covered"
grep -qx 'NOT INTACT: see the lines above.' "$work/out" || fail "no failing verdict"
# Every word of it in the chosen language, the details' and the counts' too.
run "$cli" verify "$work/two" --lang pt-BR
[[ $status -eq 1 ]] || fail "a damaged drive checked in Portuguese exited $status"
expect_line alterado A001/CLIP/C0001.MXF
expect_line ausente A001/CLIP/C0002.MXF
grep -q ' na lista ' "$work/out" || fail "the changed file's detail not in Portuguese"
grep -qx '4 listados em 1 lista de hashes: 1 íntegro, 1 alterado, 1 tamanho diferente, 1 ausente' "$work/out" ||
    fail "counts not in Portuguese"
grep -qx 'NÃO ÍNTEGRO: veja as linhas acima.' "$work/out" || fail "verdict not in Portuguese"

# A file no list covers is reported but does not fail an otherwise intact drive.
printf 'new' >"$work/one/extra.mov"
run "$cli" verify "$work/one"
[[ $status -eq 0 ]] || fail "a not-covered file alone failed the check ($status)"
grep -qx '  extra.mov' "$work/out" || fail "extra file not listed"

# Another tool's list: beside the files, little-endian <xxhash64>, escaped and coded names.
card=$work/card
mkdir -p "$card/CLIPS"
printf 'one' >"$card/CLIPS/A & B.mov"
printf 'two' >"$card/CLIPS/line"$'\n'"break.mov"
le() { xxh "$1" | sed -E 's/(..)(..)(..)(..)(..)(..)(..)(..)/\8\7\6\5\4\3\2\1/'; }
cat >"$card/card.mhl" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<hashlist version="1.1">
  <hash><file>CLIPS/A &amp; B.mov</file><size>3</size><xxhash64>$(le "$card/CLIPS/A & B.mov")</xxhash64></hash>
  <hash><file>CLIPS/line&#10;break.mov</file><xxhash64>$(le "$card/CLIPS/line"$'\n'"break.mov")</xxhash64></hash>
</hashlist>
EOF
run "$cli" verify "$card" --mhl "$card/card.mhl"
[[ $status -eq 0 ]] || fail "another tool's list exited $status"
expect_line ok "CLIPS/A & B.mov"
expect_line ok 'CLIPS/line\nbreak.mov'
grep -q 'not covered' "$work/out" && fail "the list itself reported as not covered"

# A hostile list is refused quickly with the reason (the list reader's own tests hold the
# other broken and hostile lists, and the drive check's the paths leaving the drive).
hostile=$work/hostile
mkdir -p "$hostile/Hash Log"
{
    echo '<?xml version="1.0"?>'
    echo '<!DOCTYPE hashlist [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">]>'
    echo '<hashlist><hash><file>&b;</file></hash></hashlist>'
} >"$hostile/Hash Log/bomb.mhl"
run timeout 10 "$cli" verify "$hostile"
[[ $status -eq 1 ]] || fail "an entity bomb exited $status"
grep -q 'bomb.mhl: This hash list is damaged at line 2' "$work/err" || fail "bomb message"

run "$cli" verify "$work/nothing-here"
[[ $status -eq 1 ]] || fail "a missing drive exited $status"
mkdir -p "$work/bare"
run "$cli" verify "$work/bare"
[[ $status -eq 1 ]] || fail "a drive without a Hash Log exited $status"
grep -q 'No "Hash Log" folder' "$work/err" || fail "no message for a missing Hash Log"

# Usage errors.
for args in "" "--mhl" "$work/one --mhl" "$work/one $work/two" "--bogus $work/one"; do
    # shellcheck disable=SC2086
    run "$cli" verify $args
    [[ $status -eq 2 ]] || fail "verify $args exited $status, not a usage error"
done
run "$cli" verify --help
[[ $status -eq 0 ]] && grep -q 'do not fail the check' "$work/out" || fail "verify --help"

# Ctrl-C while the check runs: the tool stops with 130 and prints no verdict. Many listed
# files with long names fill the pipe, so the tool is still checking when the signal comes.
many=$work/many
mkdir -p "$many/A001" "$many/Hash Log"
{
    echo '<hashlist version="1.1">'
    for i in $(seq 1 1500); do
        name=A001/$(printf 'clip-%04d-%0100d' "$i" 0).mov
        : >"$many/$name"
        # every file is empty: XXH64 of no bytes
        printf '<hash><file>%s</file><size>0</size><xxhash64be>ef46db3751d8e999</xxhash64be></hash>\n' "$name"
    done
    echo '</hashlist>'
} >"$many/Hash Log/many.mhl"
mkfifo "$work/pipe"
set +e
"$cli" verify "$many" >"$work/pipe" 2>"$work/err" &
pid=$!
exec 3<"$work/pipe"
read -r first <&3
kill -INT "$pid"
cat <&3 >"$work/out"
exec 3<&-
wait "$pid"
status=$?
set -e
[[ $first == ok* ]] || fail "first line '$first'"
[[ $status -eq 130 ]] || fail "Ctrl-C exited $status"
grep -q 'interrupted' "$work/err" || fail "no interruption message"
grep -q 'intact' "$work/out" && fail "a verdict printed after Ctrl-C"
[[ $(wc -l <"$work/out") -lt 1499 ]] || fail "every file was checked despite Ctrl-C"

echo "verify: all checks passed"
