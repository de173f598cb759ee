#!/usr/bin/env bash
# Many small files: 20,000 files of 4 to 64 KB offloaded to two folders with verification,
# against cp -r to each folder, sync, dropping the copies from the page cache and xxhsum -H1
# over the source and both copies. The card is dropped from the cache before every run.
# Prints the best of RUNS runs each, their ratio and the time per file.
#
# Usage: bench/small_files.sh [build folder] [files (default 20000)] [runs (default 3)] [work parent]
set -euo pipefail
build="${1:-build}"
count="${2:-20000}"
runs="${3:-3}"
parent="${4:-${TMPDIR:-/tmp}}"
cli="$build/stowline-cli"
drop="$build/bench/drop_cache"
work="$(mktemp -d "$parent/stowline-small-XXXXXX")"
trap 'rm -rf "$work"' EXIT

card="$work/card"
python3 - "$card" "$count" <<'PY'
import os, random, sys
card, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(7)
for i in range(count):
    folder = os.path.join(card, "A%03d" % (i // 1000))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "F%05d.XML" % i), "wb") as out:
        out.write(rng.randbytes(rng.randint(4000, 64000)))
PY
bytes=$(du -sb --apparent-size "$card" | cut -f1)
sync

source "$(dirname "$0")/offload_runs.sh"

ours=() base=()
for _ in $(seq 1 "$runs"); do
    ours+=("$(run_ours)")
    base+=("$(run_baseline)")
done
o=$(best "${ours[@]}") b=$(best "${base[@]}")
printf '%d files, %d bytes, two destination folders on one disk\n' "$count" "$bytes"
printf 'ours (offload):              %7.2f s  runs: %s\n' "$o" "${ours[*]}"
printf 'baseline (cp, drop, xxhsum): %7.2f s  runs: %s\n' "$b" "${base[*]}"
printf 'baseline / ours = %.2f (goal >= 1.5)\n' "$(echo "$b / $o" | bc -l)"
printf 'per file: ours %.0f us, baseline %.0f us\n' "$(echo "$o * 1000000 / $count" | bc -l)" \
    "$(echo "$b * 1000000 / $count" | bc -l)"
