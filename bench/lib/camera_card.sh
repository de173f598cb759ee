# Shared by the disk benchmarks; sourced, not run. Needs $work.
# make_camera_card TOTAL_BYTES: a camera card in $work/card holding about TOTAL_BYTES: 3,000
# small sidecar files of 2-30 KiB cut from one random pool, and four large clips holding the
# rest. Sets $card, $sidecars and $bytes (the card's apparent size) and syncs it to the disk.
make_camera_card() {
    local total="$1" sidecarTotal=0 size clip i
    sidecars=3000
    card="$work/card"
    mkdir -p "$card/CLIPS" "$card/SIDECAR"
    head -c $((64 * 1024 * 1024)) /dev/urandom >"$work/pool"
    for i in $(seq 1 $sidecars); do
        size=$(((i * 7919) % (28 * 1024) + 2048))
        dd if="$work/pool" of="$card/SIDECAR/S$(printf %04d "$i").XML" bs=4096 iflag=skip_bytes,count_bytes \
            skip=$(((i * 4099) % (32 * 1024 * 1024))) count="$size" status=none
        sidecarTotal=$((sidecarTotal + size))
    done
    rm "$work/pool"
    clip=$(((total - sidecarTotal) / 4))
    for i in 1 2 3 4; do
        head -c "$clip" /dev/urandom >"$card/CLIPS/C000$i.MOV"
    done
    bytes=$(du -sb --apparent-size "$card" | cut -f1)
    sync
}
