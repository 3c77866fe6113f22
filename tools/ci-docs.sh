#!/usr/bin/env bash
# The R and Python code of docs/method.md, run on the example's result files
# (examples/expected/): each must read MATRIX.DIS and LOADS.TXT into the
# shapes and values the files hold, and R and Python must agree.
# Uses Debian's R and numpy (/usr/bin/python3, not another python3 on PATH).
# Usage: tools/ci-docs.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tools/install-deps.sh --build-only --docs >/dev/null

scratch=$(mktemp -d /tmp/tova-docs.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
cp examples/expected/LOADS.TXT examples/expected/MATRIX.DIS "$scratch/"
# Every ```r and every ```python block, in order.
code() { awk -v lang="$1" '$0 == "```" lang {on = 1; next} on && /^```/ {on = 0} on' docs/method.md; }
code r > "$scratch/method.R"
code python > "$scratch/method.py"
[ -s "$scratch/method.R" ] && [ -s "$scratch/method.py" ]

cat >> "$scratch/method.R" <<'CHECK'
values <- scan("MATRIX.DIS", skip = 2, quiet = TRUE)
full <- as.matrix(d)
stopifnot(inherits(d, "dist"), attr(d, "Size") == 30, length(values) == 30 * 31 / 2,
          full[2, 1] == values[2], full[3, 1] == values[4], full[3, 2] == values[5],
          full[1, 3] == values[4], full[30, 29] == values[length(values) - 1],
          all(diag(full) == 0), dim(loads) == c(8, 8), loads[2, 2] == -5.604542E-02,
          loads[8, 1] == scan("LOADS.TXT", skip = 9, nlines = 1, quiet = TRUE)[1],
          nrow(coordinates) == 30)
cat(sprintf("%.6f %.6f\n", sum(d), sum(loads)))
CHECK
cat >> "$scratch/method.py" <<'CHECK'
with open("MATRIX.DIS") as f:
    values = [float(v) for v in f.read().split("\n", 2)[2].split()]
assert d.shape == (30, 30) and len(values) == 30 * 31 // 2
assert d[1, 0] == values[1] and d[2, 0] == values[3] and d[2, 1] == values[4]
assert (d == d.T).all() and (np.diag(d) == 0).all() and d[29, 28] == values[-2]
assert loads.shape == (8, 8) and loads[1, 1] == -5.604542e-02
print("%.6f %.6f" % (np.tril(d, -1).sum(), loads.sum()))
CHECK
r_sums=$(cd "$scratch" && Rscript method.R)
python_sums=$(cd "$scratch" && /usr/bin/python3 method.py)
echo "R: $r_sums; Python: $python_sums"
[ "$r_sums" = "$python_sums" ]
echo "-- docs: the R and Python code of docs/method.md reads the example's result files"
