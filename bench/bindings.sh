#!/usr/bin/env bash
# The R package's Gower dissimilarities against the console program's Gower
# kernel and R's cluster::daisy(metric = "gower"), on the benchmark's Gower
# data set (n = 4000, m = 30, 5 % missing), in one R process.
#
#   bench/bindings.sh [build-dir] [R library holding tova]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
export R_LIBS=${2:-${R_LIBS:-}}
bench="$build/bench/tova_bench"
[ -x "$bench" ] || { echo "bindings.sh: build $bench first"; exit 1; }
csv=$(mktemp --suffix=.csv)
trap 'rm -f "$csv"' EXIT
"$bench" --csv "$csv"
echo "== console program's fast Gower kernel"
"$bench" --gower
Rscript - "$csv" << 'RSCRIPT'
suppressMessages({ library(tova); library(cluster) })
args <- commandArgs(trailingOnly = TRUE)
raw <- read.csv(args[1])
type <- as.integer(sub(".*_t", "", names(raw)))
x <- tova_data(raw, type, rep(360, sum(type %in% c(6, 34))))
runs <- replicate(5, system.time(tova_gower(x)))
t_tova <- min(runs["elapsed", ])
cpu_tova <- min(runs["user.self", ] + runs["sys.self", ])
# daisy's own types: factors for nominal, ordered factors for ranked.
y <- raw
for (j in seq_along(y)) {
  if (type[j] == 1) y[[j]] <- factor(y[[j]])
  if (type[j] %in% 2:5) y[[j]] <- ordered(y[[j]])
}
t_daisy <- system.time(cluster::daisy(y, metric = "gower"))[["elapsed"]]
cat(sprintf("tova_gower n=%d m=%d: %.3f s wall, %.3f s cpu (best of 5), TOVA_THREADS=%s\n",
            nrow(x), ncol(x), t_tova, cpu_tova, Sys.getenv("TOVA_THREADS", "unset")))
cat(sprintf("cluster::daisy(metric = \"gower\"): %.3f s wall; daisy / tova_gower = %.1f\n",
            t_daisy, t_daisy / t_tova))
RSCRIPT
