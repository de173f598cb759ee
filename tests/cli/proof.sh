#!/usr/bin/env bash
# stowline-cli offload where a "verified" or "skipped" could be false: a destination that
# reaches the card through a link or a bind mount, and a second camera's card whose names
# repeat the first's on the same drive. Runs in a mount namespace of its own for the bind
# mount; that part is skipped where mounting is refused.
own_mounts=1
. "$(dirname "$0")/lib.sh"
# run_cli OUT ARGS...: an offload, captured; reasons in known words.
run_cli() {
    local out="$1"
    shift
    capture "$out" offload "$@" --lang en
}

# No Hash Log in DEST lists NAME.
unlisted() {
    ! grep -rqs -- "<file>$2</file>" "$1/Hash Log"
}

# --- A destination that reaches the card through a link ------------------------------------
card="$work/cardS"
mkdir -p "$card/A001" "$work/d1" "$work/d2/cardS"
head -c 100000 /dev/urandom >"$card/A001/s.mov"
cp -p "$card/A001/s.mov" "$work/s.orig"
ln -s "$card" "$work/d1/cardS"
ln -s "$card/A001" "$work/d2/cardS/A001"
for dest in d1 d2; do
    run_cli "$work/out.$dest" "$card" --dest "$work/$dest"
    [[ $status -ne 0 ]] || fail "$dest: a link back to the card passed as a clean offload"
    grep -q '^skipped' "$work/out.$dest" && fail "$dest: a link back to the card was taken for a copy"
    unlisted "$work/$dest" "cardS/A001/s.mov" || fail "$dest: a Hash Log lists a file the drive does not hold"
done
grep -q "symbolic link" "$work/out.d2.err" || fail "no clear reason for the link: $(cat "$work/out.d2.err")"
cmp -s "$card/A001/s.mov" "$work/s.orig" || fail "the card's file changed"
[[ -z "$(find "$card" -name '*.stowline-partial')" ]] || fail "something was written into the card"

# --- A destination inside the card through a bind mount ------------------------------------
if [[ "${STOWLINE_OWN_MOUNTS:-}" == 1 ]] && mkdir -p "$work/cardB/x" "$work/bindsrc" &&
    mount --bind "$work/cardB" "$work/bindsrc" 2>/dev/null; then
    mounts+=("$work/bindsrc")
    echo take >"$work/cardB/clip.mov"
    run_cli "$work/out.bind" "$work/bindsrc" --dest "$work/cardB/x"
    [[ $status -eq 2 ]] || fail "a destination inside the card through a bind mount gave exit $status"
    grep -q "inside the source" "$work/out.bind.err" || fail "no clear message: $(cat "$work/out.bind.err")"
    [[ -z "$(ls -A "$work/cardB/x")" ]] || fail "copies were written into the card"
    # A folder of the card bound elsewhere: no path of the destination passes through the card.
    mkdir -p "$work/cardB/x/y" "$work/elsewhere"
    mount --bind "$work/cardB/x" "$work/elsewhere"
    mounts+=("$work/elsewhere")
    run_cli "$work/out.sub" "$work/cardB" --dest "$work/elsewhere/y"
    [[ $status -eq 2 ]] || fail "a destination below a bound folder of the card gave exit $status"
    grep -q "inside the source" "$work/out.sub.err" || fail "no clear message: $(cat "$work/out.sub.err")"
    [[ -z "$(ls -A "$work/cardB/x/y")" ]] || fail "copies were written into the card's bound folder"
    echo "proof: destination inside the card through a bind mount refused"
else
    echo "proof: SKIP the bind mount: mounting is not permitted here"
fi

# --- Two cameras, the same names, one drive --------------------------------------------------
mkdir -p "$work/camY/DCIM" "$work/camX/DCIM" "$work/dd1" "$work/dd2"
head -c 300000 /dev/urandom >"$work/camY/DCIM/IMG_0001.MOV"
head -c 300000 /dev/urandom >"$work/camX/DCIM/IMG_0001.MOV"
run_cli "$work/out.y" "$work/camY/DCIM" --dest "$work/dd1"
[[ $status -eq 0 ]] || fail "the first card gave exit $status: $(cat "$work/out.y.err")"
run_cli "$work/out.x" "$work/camX/DCIM" --dest "$work/dd1" --dest "$work/dd2"
[[ $status -eq 1 ]] || fail "the second card over the first's take gave exit $status"
grep -q "verified by an earlier job" "$work/out.x" || fail "no reason given: $(cat "$work/out.x")"
cmp -s "$work/camY/DCIM/IMG_0001.MOV" "$work/dd1/DCIM/IMG_0001.MOV" || fail "the first card's only copy was replaced"
cmp -s "$work/camX/DCIM/IMG_0001.MOV" "$work/dd2/DCIM/IMG_0001.MOV" || fail "the other drive lacks the second take"
grep -qs "verified by an earlier job" "$work/dd1/Hash Log/"DCIM_*_report.txt ||
    fail "the text report does not say why"
echo "proof: all checks passed"
