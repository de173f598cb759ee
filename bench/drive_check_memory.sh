#!/usr/bin/env bash
# Peak resident memory of stowline-cli verify against a huge hash list: entries with
# 20-component paths, as deep camera and proxy trees give, in a list just under the 256 MiB
# the reader accepts. Goal: at most 3 x the list's size + 64 MiB. The baseline is the same
# check against a list of one entry, run interleaved with the big one; medians of three.
# The listed files are absent, so the check reads no file data: it measures the lists alone.
#
# Usage: bench/drive_check_memory.sh [build folder] [MiB (default 256)] [work parent]
set -euo pipefail
build="${1:-build}"
mib="${2:-256}"
parent="${3:-${TMPDIR:-/tmp}}"
work="$(mktemp -d "$parent/stowline-checkmem-XXXXXX")"
trap 'rm -rf "$work"' EXIT

# make_list FILE BYTES: a hash list of about BYTES (never more), one entry per line.
make_list() {
    awk -v limit="$2" 'BEGIN {
        head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<hashlist version=\"1.1\">\n"
        tail = "</hashlist>\n"
        printf "%s", head
        total = length(head) + length(tail)
        for (n = 0;; n++) {
            path = ""
            v = n
            for (c = 0; c < 20; c++) {
                path = path (c ? "/" : "") sprintf("%c%d", 97 + c, v % 10)
                v = int(v / 10)
            }
            line = sprintf("<hash><file>%s.mov</file><size>%d</size><xxhash64be>%016x</xxhash64be></hash>\n",
                           path, n % 100000, n)
            if (total + length(line) > limit) break
            printf "%s", line
            total += length(line)
        }
        printf "%s", tail
        print n > "/dev/stderr"
    }' >"$1" 2>"$1.count"
}

mkdir -p "$work/big/Hash Log" "$work/small/Hash Log"
make_list "$work/big/Hash Log/job.mhl" $((mib * 1024 * 1024 - 1))
make_list "$work/small/Hash Log/job.mhl" 300
bytes=$(stat -c %s "$work/big/Hash Log/job.mhl")
entries=$(cat "$work/big/Hash Log/job.mhl.count")
rm -f "$work"/*/"Hash Log"/*.count

# peak_kib ROOT: the check's peak resident set in KiB (it exits 1: every listed file is absent).
peak_kib() {
    /usr/bin/time -v "$build/stowline-cli" verify "$1" >/dev/null 2>"$work/time.txt" || true
    grep -q 'Exit status: 1' "$work/time.txt" || { cat "$work/time.txt" >&2; exit 1; }
    sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time.txt"
}
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
small=() big=()
for _ in 1 2 3; do
    small+=("$(peak_kib "$work/small")")
    big+=("$(peak_kib "$work/big")")
done
base=$(median "${small[@]}")
peak=$(median "${big[@]}")
list_mib=$(echo "$bytes / 1048576" | bc -l)
goal=$(echo "3 * $list_mib + 64" | bc -l)
printf 'list of %.1f MiB, %d entries of 20-component paths\n' "$list_mib" "$entries"
printf 'peak resident: %.1f MiB (one-entry list: %.1f MiB); %.2f x the list; goal <= %.0f MiB: %s\n' \
    "$(echo "$peak / 1024" | bc -l)" "$(echo "$base / 1024" | bc -l)" \
    "$(echo "$peak / 1024 / $list_mib" | bc -l)" "$goal" \
    "$(if (($(echo "$peak / 1024 <= $goal" | bc -l))); then echo met; else echo MISSED; fi)"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
