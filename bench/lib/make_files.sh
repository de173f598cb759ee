# Shared by the benchmarks; sourced, not run.
# make_files FOLDER COUNT MIN MAX SEED: COUNT files of MIN..MAX bytes in folders of 1,000.
make_files() {
    python3 - "$@" <<'PY'
import os, random, sys
folder, count, low, high, seed = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
rng = random.Random(seed)
for i in range(count):
    sub = os.path.join(folder, "D%03d" % (i // 1000))
    os.makedirs(sub, exist_ok=True)
    with open(os.path.join(sub, "F%06d.XML" % i), "wb") as out:
        out.write(rng.randbytes(rng.randint(low, high)))
PY
}
