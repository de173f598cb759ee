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
