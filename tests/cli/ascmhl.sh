#!/usr/bin/env bash
# ASC MHL histories through stowline-cli: offloads write and continue them, verify reads them
# (a flipped byte), and only verify --record adds a generation.
. "$(dirname "$0")/lib.sh"
schemas="$(cd "$(dirname "$0")/../engine/ascmhl" && pwd)"
q() { xmllint --xpath "$1" "$2"; }
generations() { ls "$1/ascmhl" | grep -c '^[0-9]\{4\}_.*\.mhl$' || true; }
latest() { ls "$1"/ascmhl/[0-9][0-9][0-9][0-9]_*.mhl | tail -n 1; }

# Every manifest and chain passes the schemas; every xxh64 of generation GEN equals xxhsum's
# of the file under FOLDER; every hash of the generation carries ACTION.
check_history() {
    local folder="$1" gen="$2" action="$3" manifest n i e p h
    xmllint --noout --schema "$schemas/ascmhl-chain-check.xsd" "$folder/ascmhl/ascmhl_chain.xml" 2>/dev/null ||
        fail "$folder: chain fails its schema"
    for manifest in "$folder"/ascmhl/*.mhl; do
        xmllint --noout --schema "$schemas/ascmhl-manifest-check.xsd" "$manifest" 2>/dev/null ||
            fail "$manifest fails its schema"
    done
    [[ "$(generations "$folder")" == "$gen" ]] || fail "$folder: $(generations "$folder") generations, not $gen"
    [[ "$(q 'count(//*[local-name()="hashlist"])' "$folder/ascmhl/ascmhl_chain.xml")" == "$gen" ]] ||
        fail "$folder: the chain does not list $gen generations"
    manifest="$(latest "$folder")"
    n="$(q 'count(//*[local-name()="hashes"]/*[local-name()="hash"])' "$manifest")"
    [[ "$n" -gt 0 ]] || fail "$manifest lists no file"
    [[ "$(q "count(//*[local-name()='hashes']/*[local-name()='hash']/*[local-name()='xxh64'][@action!='$action'])" "$manifest")" == 0 ]] ||
        fail "$manifest: an action other than $action"
    for i in $(seq "$n"); do
        e="(//*[local-name()='hashes']/*[local-name()='hash'])[$i]"
        p="$(q "string($e/*[local-name()='path'])" "$manifest")"
        h="$(q "string($e/*[local-name()='xxh64'])" "$manifest")"
        [[ "$(xxhsum --tag -H1 <"$folder/$p" | awk '{print $NF}')" == "$h" ]] || fail "$manifest: xxh64 of $p"
    done
}

card="$work/card"
mkdir -p "$card/A001/CLIPS" "$work/d1" "$work/d2" "$work/d3"
head -c 300000 /dev/urandom >"$card/A001/CLIPS/C001.mov"
head -c 1000 /dev/urandom >"$card/A001/CLIPS/C002.mov"
printf 'take 1\n' >"$card/A001/notes.txt"
printf 'x' >"$card/A001/bad"$'\x01'"name.txt" # a name XML cannot hold

# --- Two destinations: generation 1 of original entries at both ----------------------------
capture "$work/o1" offload "$card/A001" --dest "$work/d1" --dest "$work/d2" --ascmhl --lang en
[[ $status == 0 ]] || fail "first offload: $status $(cat "$work/o1.err")"
for d in d1 d2; do
    check_history "$work/$d/A001" 1 original
    grep -q "^ASC MHL: $work/$d/A001/ascmhl/0001_A001_" "$work/o1" || fail "first offload does not name $d's manifest"
    grep -q "^Not in the ASC MHL history" "$work/$d/Hash Log/"*.txt || fail "$d's text report keeps quiet about the name"
    grep -q "<file>A001/bad.*name.txt</file>" "$work/$d/Hash Log/"*.mhl || fail "$d's MHL 1.1 lost the name"
done
grep -q "not in the ASC MHL history of .*A001 (XML cannot hold its name): A001/bad.*name.txt" "$work/o1.err" ||
    fail "offload keeps quiet about the name: $(cat "$work/o1.err")"
# Off by default: an offload without --ascmhl keeps no history.
capture "$work/o0" offload "$card/A001" --dest "$work/d3" --lang en
[[ $status == 0 && ! -e "$work/d3/A001/ascmhl" ]] || fail "a history without --ascmhl"
rm -rf "$work/d3/A001" "$work/d3/Hash Log"

# --- Again: generation 2 of verified entries, a chain of two -------------------------------
sleep 1 # manifests are named by the second
capture "$work/o2" offload "$card/A001" --dest "$work/d1" --dest "$work/d2" --ascmhl --lang en
[[ $status == 0 ]] || fail "second offload: $status $(cat "$work/o2.err")"
for d in d1 d2; do
    check_history "$work/$d/A001" 2 verified
done

# --- verify reads the histories; nothing is written without --record -----------------------
capture "$work/v0" verify "$work/d1"
[[ $status == 0 ]] || fail "verify of an intact drive: $status $(cat "$work/v0" "$work/v0.err")"
rm -rf "$work/d2/Hash Log" # the history alone answers for d2
capture "$work/v1" verify "$work/d2"
[[ $status == 0 ]] || fail "verify with histories alone: $status $(cat "$work/v1" "$work/v1.err")"
grep -q "^3 listed in 2 hash lists" "$work/v1" || fail "verify does not count the history's files: $(cat "$work/v1")"
[[ "$(generations "$work/d2/A001")" == 2 ]] || fail "verify wrote a generation unasked"
printf 'new\n' >"$work/d2/A001/CLIPS/C003.mov"
capture "$work/v2" verify "$work/d2"
[[ $status == 0 ]] && grep -q "^  A001/CLIPS/C003.mov$" "$work/v2" || fail "a new file is not shown as uncovered"
rm "$work/d2/A001/CLIPS/C003.mov"

# A flipped byte, same size: the history's hash tells.
printf '\x01' | dd of="$work/d2/A001/CLIPS/C001.mov" bs=1 seek=1000 conv=notrunc status=none
capture "$work/v3" verify "$work/d2"
[[ $status == 1 ]] || fail "verify passed a flipped byte"
grep -q "^changed .* A001/CLIPS/C001.mov$" "$work/v3" || fail "the flipped byte is not reported: $(cat "$work/v3")"

# verify --record adds an in-place generation recording the difference as failed.
capture "$work/v4" verify "$work/d2" --record
[[ $status == 1 && "$(generations "$work/d2/A001")" == 3 ]] || fail "verify --record: $status $(cat "$work/v4.err")"
manifest="$(latest "$work/d2/A001")"
grep -q "<process>in-place</process>" "$manifest" || fail "the recorded generation is not in-place"
[[ "$(q "count(//*[local-name()='hash'][*[local-name()='path']='CLIPS/C001.mov']/*[local-name()='xxh64'][@action='failed'])" "$manifest")" == 1 ]] ||
    fail "the recorded generation does not mark the changed file failed"
xmllint --noout --schema "$schemas/ascmhl-manifest-check.xsd" "$manifest" 2>/dev/null || fail "$manifest fails its schema"

# --- A travel drive with its own history: the destination continues it ---------------------
mkdir -p "$work/travel/A001"
cp -a "$card/A001/." "$work/d2/A001/ascmhl" "$work/travel/A001/" # the card's bytes, d2's three generations
capture "$work/o3" offload "$work/travel/A001" --dest "$work/d3" --ascmhl --lang en
[[ $status == 0 ]] || fail "offload of a travel drive: $status $(cat "$work/o3.err")"
check_history "$work/d3/A001" 4 verified
cmp -s "$work/travel/A001/ascmhl/ascmhl_chain.xml" "$work/d3/A001/ascmhl/ascmhl_chain.xml" &&
    fail "the travel history was not continued"
echo ok
