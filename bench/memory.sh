#!/usr/bin/env bash
# Peak resident memory of stowline-cli offload to two folders, for cards of many small files
# (10,000 of 4 KB; 20,000 and 100,000 of 1-4 KB) and for 10 GiB of large files. Every file
# holds real bytes: sparse files would let the kernel skip work and hide none of ours, but
# they are not what a card holds. With several builds, each card is offloaded by each build
# in turn (the order rotating), so that a before/after shares the same disk and load.
#
# Usage: bench/memory.sh [--work DIR] [--only 10k,20k,100k,large] BUILD [BUILD...]
#   Goals: 96 MiB for 100,000 files, 32 MiB for 10 GiB of large files.
set -euo pipefail
parent="${TMPDIR:-/tmp}"
only="10k,20k,100k,large"
builds=()
while [ $# -gt 0 ]; do
    case "$1" in
    --work) parent="$(cd "$2" && pwd)"; shift ;;
    --only) only="$2"; shift ;;
    -h | --help) sed -n '2,9p' "$0"; exit 0 ;;
    *) builds+=("$(cd "$1" && pwd)") ;;
    esac
    shift
done
[ ${#builds[@]} -gt 0 ] || builds=("$(cd "$(dirname "$0")/../build" && pwd)")
for build in "${builds[@]}"; do
    [ -x "$build/stowline-cli" ] || { echo "no stowline-cli in $build" >&2; exit 1; }
done
work="$(mktemp -d "$parent/stowline-memory-XXXXXX")"
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/lib/make_files.sh"
wants() { [[ ",$only," == *",$1,"* ]]; }


# measure LABEL CARD: one offload of CARD by each build, the order rotating by card.
turn=0
measure() {
    local label="$1" card="$2" i build kib
    for i in "${!builds[@]}"; do
        build="${builds[$(((i + turn) % ${#builds[@]}))]}"
        rm -rf "$work/d1" "$work/d2"
        mkdir -p "$work/d1" "$work/d2"
        /usr/bin/time -f '%e %M' -o "$work/time.txt" "$build/stowline-cli" offload "$card" \
            --dest "$work/d1" --dest "$work/d2" >/dev/null 2>"$work/err.txt" || { cat "$work/err.txt" >&2; exit 1; }
        read -r seconds kib <"$work/time.txt"
        printf '%-26s | %-40s | %8.1f MiB | %7.1f s | load %s\n' "$label" "$build" \
            "$(echo "$kib / 1024" | bc -l)" "$seconds" "$(cut -d' ' -f1 /proc/loadavg)"
    done
    turn=$((turn + 1))
    rm -rf "$card" "$work/d1" "$work/d2"
}

if wants 10k; then
    make_files "$work/c10k" 10000 4096 4096 1
    measure "10,000 files of 4 KB" "$work/c10k"
fi
if wants 20k; then
    make_files "$work/c20k" 20000 1024 4096 2
    measure "20,000 files of 1-4 KB" "$work/c20k"
fi
if wants 100k; then
    make_files "$work/c100k" 100000 1024 4096 3
    measure "100,000 files of 1-4 KB" "$work/c100k"
fi
if wants large; then
    mkdir -p "$work/large"
    head -c $((1024 * 1024 * 1024)) /dev/urandom >"$work/pool"
    for i in $(seq 1 10); do
        cp "$work/pool" "$work/large/C$(printf %03d "$i").MOV"
        printf '%08d' "$i" | dd of="$work/large/C$(printf %03d "$i").MOV" conv=notrunc status=none
    done
    rm "$work/pool"
    measure "10 GiB in 10 large files" "$work/large"
fi
