#!/usr/bin/env bash
# What writing ASC MHL histories adds to an offload: the same card (4 clips + 3,000 sidecar
# files, 640 MB by default) offloaded to two folders on this disk with and without --ascmhl,
# the two kinds of run interleaved so that load and disk noise fall on both. The card is
# dropped from the page cache before every run. Prints the median and the best of each, their
# ratios (goal: histories add at most 2 %) and the load average before and after; and the CPU
# seconds (user + system) of each run, which a loaded machine disturbs far less than the wall
# clock.
#
# Usage: bench/ascmhl_overhead.sh [build folder] [card MB (default 640)] [runs (default 5)] [work parent]
set -euo pipefail
build="${1:-build}"
mb="${2:-640}"
runs="${3:-5}"
parent="${4:-${TMPDIR:-/tmp}}"
cli="$build/stowline-cli"
drop="$build/bench/drop_cache"
work="$(mktemp -d "$parent/stowline-ascmhl-XXXXXX")"
trap 'rm -rf "$work"' EXIT

source "$(dirname "$0")/lib/camera_card.sh"
make_camera_card "$((mb * 1000 * 1000))"

source "$(dirname "$0")/offload_runs.sh"
# One offload to both folders: prints its wall-clock and CPU seconds; a failed offload stops
# the benchmark rather than timing a failure.
run_timed() {
    fresh
    /usr/bin/time -f '%e %U %S' -o "$work/time" "$cli" offload "$card" --dest "$work/d1" --dest "$work/d2" "$@" \
        >/dev/null || { echo "offload $* failed" >&2; exit 1; }
    awk '{ printf "%s %.2f\n", $1, $2 + $3 }' "$work/time"
}
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

loadBefore=$(cut -d' ' -f1-3 /proc/loadavg)
plain=() history=() plainCpu=() historyCpu=()
for i in $(seq 1 "$runs"); do
    # Alternate which kind goes first, so that neither always follows the other.
    for kind in $( ((i % 2)) && echo "plain history" || echo "history plain"); do
        if [[ $kind == plain ]]; then
            read -r wall cpu < <(run_timed) && plain+=("$wall") && plainCpu+=("$cpu")
        else
            read -r wall cpu < <(run_timed --ascmhl) && history+=("$wall") && historyCpu+=("$cpu")
        fi
    done
done
((${#plain[@]} == runs && ${#history[@]} == runs)) || { echo "a run failed" >&2; exit 1; }
loadAfter=$(cut -d' ' -f1-3 /proc/loadavg)
pm=$(median "${plain[@]}") hm=$(median "${history[@]}")
pb=$(best "${plain[@]}") hb=$(best "${history[@]}")
printf 'card: %d bytes, 4 clips + %d sidecar files; two destination folders on one disk; load %s -> %s\n' \
    "$bytes" "$sidecars" "$loadBefore" "$loadAfter"
printf 'offload:          median %7.2f s, best %7.2f s  runs: %s\n' "$pm" "$pb" "${plain[*]}"
printf 'offload --ascmhl: median %7.2f s, best %7.2f s  runs: %s\n' "$hm" "$hb" "${history[*]}"
printf 'with / without: median %.3f, best %.3f (goal <= 1.02)\n' "$(echo "$hm / $pm" | bc -l)" \
    "$(echo "$hb / $pb" | bc -l)"
pc=$(median "${plainCpu[@]}") hc=$(median "${historyCpu[@]}")
printf 'CPU seconds: offload median %.2f (%s), --ascmhl median %.2f (%s); ratio %.3f\n' "$pc" "${plainCpu[*]}" \
    "$hc" "${historyCpu[*]}" "$(echo "$hc / $pc" | bc -l)"
