#!/usr/bin/env bash
# Times R's cluster::daisy(metric = "gower") on the benchmark's Gower data
# set (n = 4000, m = 30, 5 % missing), next to TOVA's fast Gower kernel on
# the same values. Skips with a message when R or its cluster package is
# not installed (Debian: r-base-core, r-cran-cluster).
#
#   bench/peers.sh [build-dir]      (default build/dev)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
bench="$build/bench/tova_bench"
if [ ! -x "$bench" ]; then
  echo "peers.sh: $bench not built (cmake --build $build --target tova_bench)"
  exit 1
fi
if ! command -v Rscript > /dev/null 2>&1; then
  echo "peers.sh: R is not installed (apt-get install r-base-core r-cran-cluster); skipped"
  exit 0
fi
if ! Rscript -e 'library(cluster)' > /dev/null 2>&1; then
  echo "peers.sh: R has no cluster package (apt-get install r-cran-cluster); skipped"
  exit 0
fi
csv=$(mktemp --suffix=.csv)
trap 'rm -f "$csv"' EXIT
"$bench" --csv "$csv"

echo "== TOVA fast Gower kernel (no file written)"
"$bench" --gower

echo "== R cluster::daisy(metric = \"gower\")"
Rscript - "$csv" << 'RSCRIPT'
args <- commandArgs(trailingOnly = TRUE)
x <- read.csv(args[1])
type <- as.integer(sub(".*_t", "", names(x)))
# Nominal variables as factors, ranked ones as ordered factors, the rest
# numeric (daisy ranks ordered factors itself).
for (j in seq_along(x)) {
  if (type[j] == 1) x[[j]] <- factor(x[[j]])
  if (type[j] %in% 2:5) x[[j]] <- ordered(x[[j]])
}
peak <- function() {
  s <- readLines("/proc/self/status")
  as.numeric(sub("[^0-9]*([0-9]+).*", "\\1", s[grep("^VmHWM", s)])) / 1024
}
before <- peak()
t <- system.time(d <- cluster::daisy(x, metric = "gower"))
cat(sprintf("daisy n=%d m=%d: %.3f s wall, %.3f s user, peak %.1f MiB (%.1f before)\n",
            nrow(x), ncol(x), t[["elapsed"]], t[["user.self"]], peak(), before))
RSCRIPT
