#!/usr/bin/env bash
# stowline-cli offload onto an ext4 drive whose file system is shut down mid-run without
# flushing its journal, as a power cut leaves it, then mounted again (the journal replayed):
# whatever the moment, no file under a final name differs from its source, and a run that
# ended clean lost nothing it listed. Runs in a mount namespace of its own; skipped where
# mounting is refused.
own_mounts=1
. "$(dirname "$0")/lib.sh"
if [[ "${STOWLINE_OWN_MOUNTS:-}" != 1 ]]; then
    echo "power_cut: SKIP: no mount namespace here"
    exit 0
fi
mounts+=("$work/d")

card="$work/card"
mkdir -p "$card/A001" "$work/d"
for i in 1 2 3 4 5 6; do
    head -c $((i * 3000000)) /dev/urandom >"$card/A001/CLIP000$i.MOV"
done
truncate -s 160M "$work/drive.img"
if ! { mkfs.ext4 -q -F "$work/drive.img" && mount -o loop "$work/drive.img" "$work/d"; } 2>/dev/null; then
    echo "power_cut: SKIP: cannot mount a loop ext4 image here"
    exit 0
fi
umount "$work/d"

# The file system's shutdown without a journal flush (EXT4_IOC_SHUTDOWN, NOLOGFLUSH).
cut_power() {
    perl -e 'open(my $f, "<", $ARGV[0]) or die "$!"; my $v = pack("L", 2);
             ioctl($f, 0x8004587d, $v) or die "shutdown: $!"' "$1"
}

RANDOM=16
for trial in $(seq 1 8); do
    mkfs.ext4 -q -F "$work/drive.img"
    mount -o loop "$work/drive.img" "$work/d"
    "$cli" offload "$card" --dest "$work/d" >"$work/out" 2>"$work/err" &
    pid=$!
    status=0
    if ((trial % 4 == 0)); then
        wait "$pid" || status=$? # the cut comes right after a run that ended
        cut_power "$work/d"
    else
        sleep "0.$(printf '%03d' $((RANDOM % 400)))"
        cut_power "$work/d"
        wait "$pid" || status=$?
    fi
    ((status <= 1)) || fail "trial $trial: exit $status"
    umount "$work/d"
    mount -o loop "$work/drive.img" "$work/d" # the journal is replayed
    while IFS= read -r -d '' file; do
        [[ "$file" == *.stowline-partial ]] && continue
        cmp -s "$file" "$card/${file#"$work/d/card/"}" ||
            fail "trial $trial (exit $status): $file is under its final name but differs from its source"
    done < <(find "$work/d" -path "$work/d/lost+found" -prune -o -type f ! -path '*/Hash Log/*' -print0)
    if ((status == 0)); then
        for file in "$card"/A001/*; do
            cmp -s "$file" "$work/d/card/A001/$(basename "$file")" ||
                fail "trial $trial: a clean run's $(basename "$file") did not survive the cut"
        done
    fi
    echo "power_cut: trial $trial: exit $status, $(grep -c '^verified' "$work/out" || true) verified lines"
    umount "$work/d"
done
echo "power_cut: all checks passed"
