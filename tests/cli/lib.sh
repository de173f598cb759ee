# Sourced first by every command line test: strict mode, the tool in $cli, a throwaway $work
# removed on exit with whatever was mounted there (listed in $mounts), preferences of the
# test's own, English words to read. A script that sets own_mounts=1 before sourcing runs in
# a mount namespace of its own where one can be made (STOWLINE_OWN_MOUNTS=1 says so), so
# that its drives are nobody else's and go with it.
set -euo pipefail
cli="$(realpath "$1")"
if [[ -n "${own_mounts:-}" && "${STOWLINE_OWN_MOUNTS:-}" != 1 ]] &&
    unshare -m --propagation private true 2>/dev/null; then
    STOWLINE_OWN_MOUNTS=1 exec unshare -m --propagation private bash "$0" "$@"
fi
work="$(mktemp -d)"
mounts=()
cleanup() {
    local m
    for m in "${mounts[@]}"; do umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME="$work/config" LANGUAGE=en

fail() { echo "FAIL: $*" >&2; exit 1; }

# capture OUT ARGS...: the tool's stdout in OUT, its stderr in OUT.err, its exit status in $status.
capture() {
    local out="$1"
    shift
    status=0
    "$cli" "$@" >"$out" 2>"$out.err" || status=$?
}

# run COMMAND...: its stdout in $work/out, its stderr in $work/err, its exit status in $status.
run() {
    status=0
    "$@" >"$work/out" 2>"$work/err" || status=$?
}

# mount_tmpfs DIR OPTIONS: a small real drive, unmounted on exit; false where mounting is refused.
mount_tmpfs() {
    mkdir -p "$1"
    mount -t tmpfs -o "$2" tmpfs "$1" 2>/dev/null || return 1
    mounts+=("$1")
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

# complete_copy CARD DEST: every file of CARD is at DEST/<card name>, identical, and nothing
# temporary is left in DEST.
complete_copy() {
    local f
    for f in "$1"/*; do
        cmp -s "$f" "$2/$(basename "$1")/$(basename "$f")" || fail "$2 lacks $(basename "$f")"
    done
    [[ -z "$(find "$2" -name '*.stowline-partial')" ]] || fail "temporary files left in $2"
}
