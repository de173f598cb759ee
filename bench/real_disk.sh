#!/usr/bin/env bash
# A camera card offloaded to two folders on this disk, with verification, three ways:
#   ours      stowline-cli offload (copy once, verify every copy by re-reading it from the device)
#   baseline  cp -r to each folder, sync, drop the copies from the page cache, xxhsum -H1 over
#             the source and both copies (what a user would otherwise script)
#   floor     the same bytes written twice and read back twice by dd with direct I/O, 4 MiB blocks
# Before every run the card is dropped from the page cache too. Best of RUNS runs each.
#
# Usage: bench/real_disk.sh [build folder] [card MiB (default 2048)] [runs (default 3)] [work parent]
#   The card: four large clips holding most of the bytes, plus 3,000 small sidecar files.
set -euo pipefail
build="${1:-build}"
mib="${2:-2048}"
runs="${3:-3}"
parent="${4:-${TMPDIR:-/tmp}}"
cli="$build/stowline-cli"
drop="$build/bench/drop_cache"
work="$(mktemp -d "$parent/stowline-realdisk-XXXXXX")"
trap 'rm -rf "$work"' EXIT

source "$(dirname "$0")/lib/camera_card.sh"
make_camera_card "$((mib * 1024 * 1024))"

source "$(dirname "$0")/offload_runs.sh"

# The floor's writes come from a file kept in the page cache, so they cost the device alone.
head -c "$bytes" /dev/urandom >"$work/floor-source"
run_floor() {
    fresh
    cat "$work/floor-source" >/dev/null
    local start end
    start=$(now)
    dd if="$work/floor-source" of="$work/f1" bs=4M oflag=direct status=none
    dd if="$work/floor-source" of="$work/f2" bs=4M oflag=direct status=none
    dd if="$work/f1" of=/dev/null bs=4M iflag=direct status=none
    dd if="$work/f2" of=/dev/null bs=4M iflag=direct status=none
    end=$(now)
    echo "$end - $start" | bc -l
}

ours=() seq=() base=() floor=()
for _ in $(seq 1 "$runs"); do
    ours+=("$(run_ours)")
    seq+=("$(run_ours --sequential)")
    base+=("$(run_baseline)")
    floor+=("$(run_floor)")
done
o=$(best "${ours[@]}") s=$(best "${seq[@]}") b=$(best "${base[@]}") f=$(best "${floor[@]}")
printf 'card: %d bytes (%d MiB), 4 clips + %d sidecar files; two destination folders on one disk\n' \
    "$bytes" "$mib" "$sidecars"
printf 'ours (offload):              %7.2f s  runs: %s\n' "$o" "${ours[*]}"
printf 'ours (offload --sequential): %7.2f s  runs: %s\n' "$s" "${seq[*]}"
printf 'baseline (cp, drop, xxhsum): %7.2f s  runs: %s\n' "$b" "${base[*]}"
printf 'floor (dd direct 2w + 2r):   %7.2f s  runs: %s\n' "$f" "${floor[*]}"
printf 'ours / baseline = %.3f (goal <= 0.9); ours / floor = %.3f (goal <= 1.25)\n' \
    "$(echo "$o / $b" | bc -l)" "$(echo "$o / $f" | bc -l)"
