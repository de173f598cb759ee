#!/usr/bin/env bash
# Peak resident memory of stowline-cli offload over a large job: sparse files (they read as
# zeros, so the whole copy and verification still happen) to two folders. Goal: under 64 MiB.
#
# Usage: bench/memory.sh [build folder] [GiB (default 10)] [work parent]
set -euo pipefail
build="${1:-build}"
gib="${2:-10}"
parent="${3:-${TMPDIR:-/tmp}}"
work="$(mktemp -d "$parent/stowline-memory-XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/card" "$work/d1" "$work/d2"
clips=5
for i in $(seq 1 $clips); do
    truncate -s $((gib * 1024 / clips))M "$work/card/C$i.MOV"
done
/usr/bin/time -v "$build/stowline-cli" offload "$work/card" --dest "$work/d1" --dest "$work/d2" \
    >/dev/null 2>"$work/time.txt" || { cat "$work/time.txt"; exit 1; }
kib=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt")
elapsed=$(sed -n 's/.*Elapsed (wall clock) time.*: //p' "$work/time.txt")
printf '%d GiB in %d sparse files to two folders: peak resident %.1f MiB (goal < 64 MiB), %s elapsed\n' \
    "$gib" "$clips" "$(echo "$kib / 1024" | bc -l)" "$elapsed"
