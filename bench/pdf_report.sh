#!/usr/bin/env bash
# A 100,000-file job's PDF report against the offload of the same card: builds a card of
# FILES small files (1 to 4 KB, the case where the report weighs most against the copy) and
# runs bench/pdf_report on it (see there). A few minutes with the defaults.
#
# Usage: bench/pdf_report.sh [build folder] [files (default 100000)] [runs (default 2)] [work parent]
set -euo pipefail
build="${1:-build}"
count="${2:-100000}"
runs="${3:-2}"
parent="${4:-${TMPDIR:-/tmp}}"
work="$(mktemp -d "$parent/stowline-pdf-XXXXXX")"
trap 'rm -rf "$work"' EXIT

card="$work/card"
python3 - "$card" "$count" <<'PY'
import os, random, sys
card, count = sys.argv[1], int(sys.argv[2])
rng = random.Random(11)
for i in range(count):
    folder = os.path.join(card, "DCIM", "%03dCLIP" % (i // 1000))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "C%06d.XML" % i), "wb") as out:
        out.write(rng.randbytes(rng.randint(1000, 4000)))
PY
sync
"$build/bench/pdf_report" "$card" "$work" "$runs"
