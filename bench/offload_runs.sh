# Shared by the disk benchmarks; sourced, not run. Needs $work, $card, $cli and $drop.
# Each run starts from empty destination folders with the card dropped from the page cache
# and prints its wall-clock seconds.

now() { date +%s.%N; }
best() { printf '%s\n' "$@" | sort -g | head -1; }

fresh() {
    rm -rf "$work/d1" "$work/d2" "$work/f1" "$work/f2"
    mkdir -p "$work/d1" "$work/d2"
    sync
    "$drop" "$card"
}

# stowline-cli offload to both folders; extra arguments go to offload (e.g. --sequential).
run_ours() {
    fresh
    local start end
    start=$(now)
    "$cli" offload "$card" --dest "$work/d1" --dest "$work/d2" "$@" >/dev/null
    end=$(now)
    echo "$end - $start" | bc -l
}

# What a user would otherwise script: cp -r to each folder, sync, drop the copies from the
# page cache, xxhsum -H1 over the source and both copies.
run_baseline() {
    fresh
    local start end
    start=$(now)
    cp -r "$card" "$work/d1/"
    cp -r "$card" "$work/d2/"
    sync
    "$drop" "$work/d1" "$work/d2"
    find "$card" "$work/d1" "$work/d2" -type f -exec xxhsum -H1 {} + >/dev/null
    end=$(now)
    echo "$end - $start" | bc -l
}
