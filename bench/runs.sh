#!/usr/bin/env bash
# Whole runs of the release program at the sizes users grow into, printed as
# one table beside the figures measured before (main, December 2026), with
# the machine's load; then R's cluster::daisy through bench/peers.sh and its
# ratio to TOVA's Gower stage.
#
#   bench/runs.sh [--quick] [--out DIR] [release-build-dir [bench-build-dir]]
#     --quick: only the small rows (seconds); the whole table takes minutes
#     --out DIR: write the result files under DIR (for example /dev/shm, to
#       keep the disk's write-back out of the wall times)
#     defaults: build/release (tova), build/dev (tova_bench, for peers.sh)
#
# CPU s is user + system of the whole process, one worker thread unless the
# row says otherwise (TOVA_THREADS); peak is the resident high-water mark.
# The Gower stage is the difference between a run answering 1 and the same
# run answering 0: the Gower kernel and writing MATRIX.DIS.
set -euo pipefail
cd "$(dirname "$0")/.."
quick=0
out_root=""
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) quick=1 ;;
    --out) out_root=$2; shift ;;
    *) break ;;
  esac
  shift
done
release=${1:-build/release}
bench_build=${2:-build/dev}
tova="$release/tova"
if [ ! -x "$tova" ]; then
  echo "runs.sh: $tova not built (cmake --preset release && cmake --build $release --target tova)"
  exit 1
fi
if [ ! -x /usr/bin/time ]; then
  echo "runs.sh: /usr/bin/time is needed (apt-get install time)"
  exit 1
fi
work=$(mktemp -d)
out="${out_root:-$work}/tova-runs-out.$$"
trap 'rm -rf "$work" "$out"' EXIT

# make_data FILE N M MIXED SEED: type 7 values, or (MIXED=1) the benchmark's
# mix of every type code with 5 % missing values.
make_data() {
  awk -v n="$2" -v m="$3" -v mixed="$4" -v seed="$5" 'BEGIN {
    srand(seed)
    split("7 5 1 4 6 2 7 3 34 33", cycle, " ")
    printf "Bench data n=%d m=%d\n%d %d\n", n, m, n, m
    for (j = 1; j <= m; ++j) {
      type[j] = mixed ? cycle[(j - 1) % 10 + 1] : 7
      printf "%s%s", type[j], (j < m ? " " : "\n")
    }
    for (j = 1; j <= m; ++j) if (type[j] == 6 || type[j] == 34) print 360
    for (i = 1; i <= n; ++i) {
      line = ""
      for (j = 1; j <= m; ++j) {
        t = type[j]
        if (t == 1) v = 1 + int(rand() * 5)
        else if (t == 2 || t == 3 || t == 4 || t == 5) v = 1 + int(rand() * 12)
        else if (t == 6 || t == 34) v = 1 + int(rand() * 359)
        else v = sprintf("%.3f", rand() * 100)
        if ((t == 2 || t == 3 || t == 33 || t == 34) && rand() < 0.3) v = 0
        if (mixed && rand() < 0.05) v = -1
        line = line (j > 1 ? " " : "") v
      }
      print line
    }
  }' > "$1"
}

# run NAME DATA ANSWER THREADS: one whole run in a fresh output folder;
# sets cpu, wall, peak (MB).
run() {
  rm -rf "$out"
  mkdir -p "$out"
  TOVA_THREADS=$4 /usr/bin/time -f "%U %S %e %M" -o "$work/time" \
    "$tova" "$2" "$3" --output-dir "$out" > "$out/stdout.txt" 2> "$out/stderr.txt" || {
    echo "runs.sh: $1 failed:"
    cat "$out/stderr.txt"
    exit 1
  }
  read -r user sys wall kb < "$work/time"
  cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
  peak=$(awk -v k="$kb" 'BEGIN { printf "%.0f MB", k * 1024 / 1e6 }')
  rm -rf "$out"
}

rows=()
# row LABEL CPU_BEFORE CPU_AFTER WALL_BEFORE WALL_AFTER PEAK_BEFORE PEAK_AFTER
row() {
  rows+=("| $1 | $2 | $3 | $4 | $5 | $6 | $7 |")
}
diff2() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a - b }'; }

load_before=$(cut -d' ' -f1-3 /proc/loadavg)

make_data "$work/s2000.dat" 2000 20 1 1
run "n=2000 m=20 answer 0" "$work/s2000.dat" --no-gower 1
row "n = 2000, m = 20, answer 0" 0.43 "$cpu" - "$wall" - "$peak"

make_data "$work/s4000.dat" 4000 30 1 2
run "n=4000 m=30 answer 0" "$work/s4000.dat" --no-gower 1
cpu0=$cpu
run "n=4000 m=30 answer 1" "$work/s4000.dat" --gower 1
row "n = 4000, m = 30, answer 1" 3.7 "$cpu" - "$wall" "118 MB" "$peak"
stage4000=$(diff2 "$cpu" "$cpu0")
row "Gower stage of the run above (answer 1 - answer 0)" 0.44 "$stage4000" - - - -

if [ "$quick" = 0 ]; then
  make_data "$work/s20000.dat" 20000 10 0 3
  run "n=20000 m=10 answer 0" "$work/s20000.dat" --no-gower 1
  cpu0=$cpu wall0=$wall
  row "n = 20000, m = 10, answer 0" 12.9 "$cpu" - "$wall" - "$peak"
  run "n=20000 m=10 answer 1" "$work/s20000.dat" --gower 1
  cpu1=$cpu wall1=$wall
  row "n = 20000, m = 10, answer 1" 22.0 "$cpu" - "$wall" "2.55 GB" "$peak"
  run "n=20000 m=10 answer 0, 2 threads" "$work/s20000.dat" --no-gower 2
  wall0_2=$wall
  row "same, answer 0, two worker threads" - "$cpu" - "$wall" - "$peak"
  run "n=20000 m=10 answer 1, 2 threads" "$work/s20000.dat" --gower 2
  wall1_2=$wall
  row "same, answer 1, two worker threads" - "$cpu" 26.3 "$wall" - "$peak"
  stage1=$(diff2 "$wall1" "$wall0")
  stage2=$(diff2 "$wall1_2" "$wall0_2")
  row "Gower stage, n = 20000, m = 10 (1 thread; CPU and wall)" 9.1 "$(diff2 "$cpu1" "$cpu0")" \
    - "$stage1" - -
  row "Gower stage, two threads (wall; % of one thread)" - - - \
    "$stage2 ($(awk -v a="$stage2" -v b="$stage1" 'BEGIN { printf "%.0f %%", 100 * a / b }'))" - -
  make_data "$work/s50000.dat" 50000 10 0 4
  run "n=50000 m=10 answer 0" "$work/s50000.dat" --no-gower 1
  row "n = 50000, m = 10, answer 0" - "$cpu" - "$wall" - "$peak"
fi

echo "load average (1, 5, 15 min) before: $load_before; after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "| run | CPU s before | CPU s after | wall s before | wall s after | peak before | peak after |"
echo "|---|---|---|---|---|---|---|"
printf '%s\n' "${rows[@]}"

echo
peers=$(bench/peers.sh "$bench_build" 2>&1) || true
echo "$peers" | grep -E "^daisy|peers.sh" || true
daisy=$(echo "$peers" | sed -n 's/^daisy .*: \([0-9.]*\) s wall, \([0-9.]*\) s user.*/\2/p')
if [ -n "$daisy" ]; then
  awk -v d="$daisy" -v t="$stage4000" 'BEGIN {
    printf "daisy %.2f s user / TOVA Gower stage %.2f s CPU (kernel and MATRIX.DIS, n = 4000,", d, t
    printf " m = 30): %.1fx\n", d / t }'
fi
