#!/usr/bin/env bash
# The long-output benchmark of the Windows program: the host's probe
# program, under Wine and Xvfb, lists N lines (default 66,569, the length
# of a long analysis run) and the time from the answer to the last line in
# the window is printed. Uses tools/ci-wine.sh's set-up (cross-build, Wine
# prefix, display) and only its window check for long output.
# Usage: bench/window-output.sh [lines]
set -euo pipefail
cd "$(dirname "$0")/.."
TOVA_BENCH_LINES="${1:-66569}" exec tools/ci-wine.sh --only "lines of output"
