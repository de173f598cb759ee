#!/usr/bin/env bash
# stowline-cli offload where a "verified" or "skipped" could be false: a destination that
# reaches the card through a link or a bind mount. Runs in a mount namespace of its own for
# the bind mount; that part is skipped where mounting is refused.
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
    echo "proof: destination inside the card through a bind mount refused"
else
    echo "proof: SKIP the bind mount: mounting is not permitted here"
fi

echo "proof: all checks passed"
