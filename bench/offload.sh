#!/usr/bin/env bash
# Offload of a 1 GiB card (a few large clips, many small sidecar files) to two folders:
# stowline-cli against `cp -r` to each folder followed by `xxhsum -H1` over the source.
# Best of three of each; prints both times and their ratio.
# Usage: bench/offload.sh [path/to/stowline-cli] [work folder on the disk to measure]
set -euo pipefail
cli="${1:-build/stowline-cli}"
parent="${2:-${TMPDIR:-/tmp}}"
work="$(mktemp -d "$parent/stowline-bench-XXXXXX")"
trap 'rm -rf "$work"' EXIT

card="$work/card"
mkdir -p "$card/CLIPS" "$card/SIDECAR"
for i in 1 2 3 4; do
    head -c $((200 * 1024 * 1024)) /dev/urandom >"$card/CLIPS/C000$i.MOV"
done
# 2,000 sidecar files of 4 KiB to 200 KiB, about 200 MiB in all.
head -c $((210 * 1024 * 1024)) /dev/urandom >"$work/pool"
offset=0
for i in $(seq 1 2000); do
    size=$(((i * 7919) % (196 * 1024) + 4096))
    dd if="$work/pool" of="$card/SIDECAR/S$(printf %04d "$i").XML" bs=4096 iflag=skip_bytes,count_bytes \
        skip="$offset" count="$size" status=none
    offset=$((offset + size))
done
rm "$work/pool"
bytes=$(du -sb "$card" | cut -f1)

now() { date +%s.%N; }
best() { printf '%s\n' "$@" | sort -g | head -1; }

run_ours() {
    rm -rf "$work/d1" "$work/d2"
    mkdir -p "$work/d1" "$work/d2"
    sync
    local start end
    start=$(now)
    "$cli" offload "$card" --dest "$work/d1" --dest "$work/d2" >/dev/null
    end=$(now)
    echo "$end - $start" | bc -l
}

run_baseline() {
    rm -rf "$work/d1" "$work/d2"
    mkdir -p "$work/d1" "$work/d2"
    sync
    local start end
    start=$(now)
    cp -r "$card" "$work/d1/"
    cp -r "$card" "$work/d2/"
    find "$card" -type f -exec xxhsum -H1 {} + >/dev/null
    end=$(now)
    echo "$end - $start" | bc -l
}

ours=()
base=()
for _ in 1 2 3; do
    ours+=("$(run_ours)")
    base+=("$(run_baseline)")
done
o=$(best "${ours[@]}")
b=$(best "${base[@]}")
printf 'card: %d bytes, 4 clips + 2000 sidecar files, two destinations\n' "$bytes"
printf 'stowline-cli offload (copy + verify by re-reading): %.2f s (runs: %s)\n' "$o" "${ours[*]}"
printf 'cp -r twice + xxhsum -H1 of the source:              %.2f s (runs: %s)\n' "$b" "${base[*]}"
printf 'ratio ours / baseline: %.2f\n' "$(echo "$o / $b" | bc -l)"
