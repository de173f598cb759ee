#!/usr/bin/env bash
# Every speed and memory goal of an offload, each run beside its baseline, in one table.
#
#   card     the 656 MB card (5 clips of 120 MiB + 800 sidecar files of 4-64 KB) to two folders,
#            every copy read back: against the device floor (the same bytes written twice and
#            read twice with O_DIRECT, 4 MiB blocks, from a cached file; shown also with the
#            bytes read once from the disk first, as the card is) and against the user's
#            script (cp -r to each folder, sync, evict, xxhsum the card, xxhsum -c each copy);
#            CPU seconds per GB of ours against the script's
#   small    20,000 files of 4-64 KB, and 10,000 files of 4 KB, against the user's script
#   memory   peak resident memory of stowline-cli for 100,000 files and for 10 GiB of large
#            files (real bytes, never sparse)
#   drives   three emulated drives of 100/200/400 MB/s, read-back included, against the
#            slowest drive alone (build/bench/emulated_drives)
#   window   frames a second of the window during a transfer and when idle, and whether the
#            render counter sees the transfer cards (build/bench/window_frames)
#
# Competitors take turns: each round runs all of them, the order rotating from round to
# round; the card and every copy are dropped from the page cache before each run. A ratio is
# the median of the rounds' ratios. The load average (1 minute) is printed beside each figure.
#
# Usage: bench/goals.sh [--build DIR] [--work DIR] [--rounds N] [--only card,small,memory,drives,window]
#                       [--loop]
#   --work   the folder whose disk is measured (default: $TMPDIR, else /tmp)
#   --loop   run the disk goals (card, small) on a freshly made journaled ext4 loop volume
#            instead, in a mount namespace of its own (needs root)
#   --quick  a tenth of every size, for trying the script out (its figures prove nothing)
#   --before DIR  also run the stowline-cli built in DIR as one more competitor of the disk
#            goals, and print ours against it (a before/after in one run)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$here/../build"
parent="${TMPDIR:-/tmp}"
rounds=5
only="card,small,memory,drives,window"
loop=false
scale=1
before=""
while [ $# -gt 0 ]; do
    case "$1" in
    --build) build="$(cd "$2" && pwd)"; shift ;;
    --work) parent="$(cd "$2" && pwd)"; shift ;;
    --rounds) rounds="$2"; shift ;;
    --only) only="$2"; shift ;;
    --loop) loop=true ;;
    --quick) scale=10 ;;
    --before) before="$(cd "$2" && pwd)"; shift ;;
    --inside-loop) loop=inside ;;
    -h | --help) sed -n '2,30p' "$0"; exit 0 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
    shift
done
cli="$build/stowline-cli"
drop="$build/bench/drop_cache"
[ -x "$cli" ] && [ -x "$drop" ] || { echo "build stowline-cli and the benchmarks first ($build)" >&2; exit 1; }
source "$(dirname "${BASH_SOURCE[0]}")/lib/make_files.sh"
wants() { [[ ",$only," == *",$1,"* ]]; }

if [ "$loop" = true ]; then
    # A fresh volume each time, mounted where only this run sees it.
    image="$(mktemp "$parent/stowline-goals-ext4-XXXXXX.img")"
    trap 'rm -f "$image"' EXIT
    truncate -s 12G "$image"
    # Inode tables and journal written now: left to the kernel's lazy init, their zeroing
    # would run beside the first rounds.
    mkfs.ext4 -q -F -O has_journal -E lazy_itable_init=0,lazy_journal_init=0 "$image"
    only="$(echo "$only" | tr ',' '\n' | grep -E '^(card|small)$' | paste -sd, -)"
    unshare -m --propagation private bash -c '
        set -e
        mnt="$(mktemp -d)"
        dev="$(losetup --find --show --direct-io=on "$1")"
        trap "umount \"$mnt\" 2>/dev/null; losetup -d \"$dev\"; rmdir \"$mnt\"" EXIT
        mount "$dev" "$mnt"
        "$2" --inside-loop --build "$3" --work "$mnt" --rounds "$4" --only "$5" $6 ${7:+--before "$7"}
    ' _ "$image" "$0" "$build" "$rounds" "$only" "$([ "$scale" = 1 ] || echo --quick)" "$before"
    exit
fi

work="$(mktemp -d "$parent/stowline-goals-XXXXXX")"
trap 'rm -rf "$work"' EXIT
where="$(df --output=source,fstype "$work" | tail -1 | tr -s ' ')"
[ "$loop" = inside ] && where="fresh journaled ext4 loop volume ($where)"

load() { cut -d' ' -f1 /proc/loadavg; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
calc() { echo "scale=6; $*" | bc -l; }
rows=()
# row GOAL OURS BASELINE RATIO LIMIT PASS LOADS
row() { rows+=("$(printf '%-44s | %-16s | %-22s | %-7s | %-8s | %-4s | %s' "$@")"); }
verdict() { [ "$(calc "$1 <= $2")" = 1 ] && echo pass || echo FAIL; }

# timed FILE COMMAND...: runs COMMAND, appends "wall user sys maxrss_kib" to FILE.
timed() {
    local out="$1"
    shift
    /usr/bin/time -f '%e %U %S %M' -o "$work/time.txt" "$@" >/dev/null 2>"$work/err.txt" ||
        { cat "$work/err.txt" "$work/time.txt" >&2; exit 1; }
    tail -1 "$work/time.txt" >>"$out"
}


# On a volume without a journal, ext4 skips over the inodes freed in the last minute (five
# when their table is not yet written) each time it makes a file: deleting the last run's
# 40,000 copies just before the next run would make every competitor pay for the benchmark's
# own deletions, more each round. There the spent copies are moved aside and deleted only
# after a goal's rounds, a minute before the next goal starts. A journaled volume reuses
# freed inodes at once, so the loop volume just deletes them.
spent=0
fresh() {
    if [ "$loop" = inside ]; then
        rm -rf "$work/d1" "$work/d2" "$work/f1" "$work/f2"
    else
        spent=$((spent + 1))
        mkdir -p "$work/spent/$spent"
        for d in d1 d2 f1 f2; do
            [ ! -e "$work/$d" ] || mv "$work/$d" "$work/spent/$spent/"
        done
    fi
    mkdir -p "$work/d1" "$work/d2"
    sync
    "$drop" "$1"
}

# Deletes the spent copies and waits until ext4 takes their inodes again.
settle() {
    [ "$loop" != inside ] || return 0
    rm -rf "$work/spent" "$work/d1" "$work/d2" "$work/f1" "$work/f2"
    sync
    printf '  (waiting 65 s for the deleted copies'"'"' inodes to be free again)\n' >&2
    sleep 65
}

run_ours() { # CARD TIMES [CLI]
    fresh "$1"
    timed "$2" "${3:-$cli}" offload "$1" --dest "$work/d1" --dest "$work/d2"
}

# The user's script: copy to each folder, write it all to the disk, evict the copies, hash the
# card and check each copy against that list.
run_script() { # CARD TIMES
    fresh "$1"
    timed "$2" bash -c '
        set -e
        card="$1" work="$2" drop="$3"
        cp -r "$card" "$work/d1/"
        cp -r "$card" "$work/d2/"
        sync -f "$work/d1"
        "$drop" "$work/d1" "$work/d2"
        name="$(basename "$card")"
        (cd "$(dirname "$card")" && find "$name" -type f -print0 | xargs -0 xxhsum -H1) >"$work/sums"
        (cd "$work/d1" && xxhsum -c -q "$work/sums")
        (cd "$work/d2" && xxhsum -c -q "$work/sums")
    ' _ "$1" "$work" "$drop"
}

# The device floor: the same number of bytes written twice and read back twice, O_DIRECT.
# With "read", the bytes are first read once from the disk too, as an offload reads the card:
# on one disk that fifth pass is what the plain floor leaves out.
run_floor() { # BYTES TIMES [read]
    fresh "$work/floor-source"
    cat "$work/floor-source" >/dev/null
    timed "$2" bash -c '
        set -e
        [ "$2" != read ] || dd if="$1/floor-source" of=/dev/null bs=4M iflag=direct status=none
        dd if="$1/floor-source" of="$1/f1" bs=4M oflag=direct status=none
        dd if="$1/floor-source" of="$1/f2" bs=4M oflag=direct status=none
        dd if="$1/f1" of=/dev/null bs=4M iflag=direct status=none
        dd if="$1/f2" of=/dev/null bs=4M iflag=direct status=none
    ' _ "$work" "${3:-}"
}

# run_one COMPETITOR CARD TIMES: one run, its times appended to TIMES.
run_one() {
    case "$1" in
    ours) run_ours "$2" "$3" ;;
    before) run_ours "$2" "$3" "$before/stowline-cli" ;;
    script) run_script "$2" "$3" ;;
    floor) run_floor "$2" "$3" ;;
    floorread) run_floor "$2" "$3" read ;;
    esac
}

# compete NAME CARD COMPETITOR...: ROUNDS rounds, the order rotating; times in NAME.<competitor>.
compete() {
    local name="$1" card="$2"
    shift 2
    local competitors=("$@") n=$# r i
    # One run first that counts for nobody: the first run after the card was made was the
    # slowest of its goal whoever took it (up to 1.4x the same build's later runs), and the
    # rotation would always hand that run to the same competitor.
    run_one "${competitors[0]}" "$card" "$work/warm-up"
    for ((r = 0; r < rounds; r++)); do
        for ((i = 0; i < n; i++)); do
            local who="${competitors[$(((r + i) % n))]}"
            run_one "$who" "$card" "$work/$name.$who"
        done
        echo "$(load)" >>"$work/$name.load"
        local times=""
        for who in "${competitors[@]}"; do
            times+=" $who $(tail -1 "$work/$name.$who" | cut -d' ' -f1) s"
        done
        printf '  %s round %d/%d done (load %s):%s\n' "$name" $((r + 1)) "$rounds" "$(load)" "$times" >&2
    done
}

# ratios A B: per round, A's wall time over B's; the median.
ratio() { median $(paste -d' ' "$1" "$2" | awk '{ printf "%.4f\n", $1 / $5 }'); }
wall() { median $(cut -d' ' -f1 "$1"); }
cpu() { median $(awk '{ printf "%.3f\n", $2 + $3 }' "$1"); }
loads() { paste -sd/ "$1"; }

# beforeRow NAME LABEL: ours against the build given with --before, when there is one.
beforeRow() {
    [ -n "$before" ] || return 0
    local r
    r=$(ratio "$work/$1.ours" "$work/$1.before")
    row "$2: this build vs --before" "$(wall "$work/$1.ours") s" "before $(wall "$work/$1.before") s" "$r" \
        "-" "-" "$(loads "$work/$1.load")"
}

echo "Stowline goals on $where; $rounds rounds; $(nproc) cores; load at start $(load)" >&2
if wants card || wants small; then
    settle # whatever was deleted on this disk just before
fi

if wants card; then
    card="$work/card"
    mkdir -p "$card/CLIPS"
    for i in 1 2 3 4 5; do
        head -c $((120 * 1024 * 1024 / scale)) /dev/urandom >"$card/CLIPS/A001C00$i.MOV"
    done
    make_files "$card/SIDECAR" $((800 / scale)) 4096 65536 11
    bytes=$(du -sb --apparent-size "$card" | cut -f1)
    head -c "$bytes" /dev/urandom >"$work/floor-source"
    compete card "$card" ours floor floorread script ${before:+before}
    rm -rf "$work/floor-source"
    gb=$(calc "$bytes / 1000000000")
    beforeRow card "card $((bytes / 1000000)) MB"

    ratioFloor=$(ratio "$work/card.ours" "$work/card.floor")
    ratioScript=$(ratio "$work/card.ours" "$work/card.script")
    row "card $((bytes / 1000000)) MB to 2 folders vs device floor" "$(wall "$work/card.ours") s" \
        "floor $(wall "$work/card.floor") s" "$ratioFloor" "<= 1.25" "$(verdict "$ratioFloor" 1.25)" \
        "$(loads "$work/card.load")"
    ratioRead=$(ratio "$work/card.ours" "$work/card.floorread")
    row "  the same vs floor with the card read once" "$(wall "$work/card.ours") s" \
        "floor+read $(wall "$work/card.floorread") s" "$ratioRead" "-" "-" "$(loads "$work/card.load")"
    row "card $((bytes / 1000000)) MB to 2 folders vs user's script" "$(wall "$work/card.ours") s" \
        "script $(wall "$work/card.script") s" "$ratioScript" "<= 0.80" "$(verdict "$ratioScript" 0.80)" \
        "$(loads "$work/card.load")"
    ourCpu=$(calc "$(cpu "$work/card.ours") / $gb")
    scriptCpu=$(calc "$(cpu "$work/card.script") / $gb")
    cpuRatio=$(calc "$ourCpu / $scriptCpu")
    row "CPU s per GB copied and verified" "$(printf '%.2f' "$ourCpu") s/GB" \
        "script $(printf '%.2f' "$scriptCpu") s/GB" "$(printf '%.3f' "$cpuRatio")" "<= 1.00" \
        "$(verdict "$cpuRatio" 1.0)" "$(loads "$work/card.load")"
    rm -rf "$card"
    settle
fi

if wants small; then
    for row in "20000 4096 65536 0.80" "10000 4096 4096 1.00"; do
        read -r count low high limit <<<"$row"
        count=$((count / scale))
        card="$work/small$count"
        make_files "$card" "$count" "$low" "$high" 7
        compete "small$count" "$card" ours script ${before:+before}
        r=$(ratio "$work/small$count.ours" "$work/small$count.script")
        label="$count files of $((low / 1024))-$((high / 1024)) KB"
        [ "$low" = "$high" ] && label="$count files of $((low / 1024)) KB"
        row "$label vs user's script" "$(wall "$work/small$count.ours") s" \
            "script $(wall "$work/small$count.script") s" "$r" "<= $limit" "$(verdict "$r" "$limit")" \
            "$(loads "$work/small$count.load")"
        beforeRow "small$count" "$label"
        rm -rf "$card"
        settle
    done
fi

if wants memory; then
    card="$work/many"
    make_files "$card" $((100000 / scale)) 1024 4096 3
    fresh "$card"
    timed "$work/many.ours" "$cli" offload "$card" --dest "$work/d1" --dest "$work/d2"
    mib=$(calc "$(cut -d' ' -f4 "$work/many.ours") / 1024")
    row "peak memory, 100,000 files" "$(printf '%.1f' "$mib") MiB" "goal 96 MiB" \
        "$(printf '%.3f' "$(calc "$mib / 96")")" "<= 1.00" "$(verdict "$mib" 96)" "$(load)"
    rm -rf "$card" "$work/d1" "$work/d2"
    card="$work/large"
    mkdir -p "$card"
    head -c $((1024 * 1024 * 1024 / scale)) /dev/urandom >"$work/pool"
    for i in $(seq 1 10); do
        cp "$work/pool" "$card/C$(printf %03d "$i").MOV"
        printf '%08d' "$i" | dd of="$card/C$(printf %03d "$i").MOV" conv=notrunc status=none
    done
    rm "$work/pool"
    fresh "$card"
    timed "$work/large.ours" "$cli" offload "$card" --dest "$work/d1" --dest "$work/d2"
    mib=$(calc "$(cut -d' ' -f4 "$work/large.ours") / 1024")
    row "peak memory, 10 GiB of large files" "$(printf '%.1f' "$mib") MiB" "goal 32 MiB" \
        "$(printf '%.3f' "$(calc "$mib / 32")")" "<= 1.00" "$(verdict "$mib" 32)" "$(load)"
    rm -rf "$card" "$work/d1" "$work/d2"
fi

if wants drives && [ -x "$build/bench/emulated_drives" ]; then
    loadBefore=$(load)
    result=$("$build/bench/emulated_drives" "$(calc "1 / $scale")" "$rounds" | tee /dev/stderr | sed -n 's/^RESULT //p')
    eval "$result"
    row "3 drives 100/200/400 MB/s, read-back included" "$three s" "slowest alone $alone s" "$ratio" \
        "<= 1.10" "$(verdict "$ratio" 1.10)" "$loadBefore/$(load)"
fi

if wants window && [ -x "$build/bench/window_frames" ]; then
    loadBefore=$(load)
    output=$(STOWLINE_RENDER_STATS=1 "$build/bench/window_frames" "$work" 2>/dev/null | tee /dev/stderr)
    eval "$(echo "$output" | sed -n 's/^RESULT //p')"
    counted=no
    echo "$output" | grep -q 'TransferCard=' && counted=yes
    row "window frames/s during a transfer" "$busy/s (max $peak)" "goal 30/s" \
        "$(printf '%.3f' "$(calc "$peak / 30")")" "<= 1.00" "$(verdict "$peak" 30)" "$loadBefore/$(load)"
    row "window frames/s when idle" "$idle/s" "goal 0/s" "-" "0" "$(verdict "$idle" 0)" "$loadBefore/$(load)"
    row "render counter counts transfer cards" "$counted ($cards paints/s)" "yes" "-" "-" \
        "$([ "$counted" = yes ] && echo pass || echo FAIL)" "$loadBefore/$(load)"
fi

echo
echo "Stowline goals on $where; $rounds rounds; medians of per-round ratios; load = 1-minute average"
printf '%-44s | %-16s | %-22s | %-7s | %-8s | %-4s | %s\n' goal ours baseline ratio limit pass "load per round"
for line in "${rows[@]}"; do
    echo "$line"
done
