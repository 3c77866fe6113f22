#!/usr/bin/env bash
# The R package and the Python module, built from Debian packages on the
# engine of this checkout and tested against the console program: R CMD
# INSTALL into a scratch library and testthat; pip install into a scratch
# folder and pytest; the README's plots drawn by the R plot methods.
# Usage: tools/ci-bindings.sh [--keep]   (--keep leaves the scratch folder)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
start=$(date +%s)
say() { echo "-- bindings: $* ($(( $(date +%s) - start )) s)"; }

say "packages"
tools/install-deps.sh --bindings

scratch=$(mktemp -d)
[ "${1:-}" = "--keep" ] && echo "scratch folder: $scratch" || trap 'rm -rf "$scratch"' EXIT

# The console program the results are compared with.
if [ ! -x build/dev/tova ]; then
  [ -f build/dev/CMakeCache.txt ] || cmake --preset dev >/dev/null
  say "building tova"
  cmake --build build/dev -j2 --target tova >/dev/null
fi
export TOVA_PROGRAM=$root/build/dev/tova TOVA_SOURCE_DIR=$root

say "R CMD INSTALL bindings/r/tova"
mkdir -p "$scratch/R"
MAKEFLAGS=-j2 R CMD INSTALL --clean --no-test-load --library="$scratch/R" bindings/r/tova \
  > "$scratch/r-install.log" 2>&1 || { cat "$scratch/r-install.log"; exit 1; }
say "testthat"
R_LIBS="$scratch/R" Rscript -e 'library(testthat); library(tova)
  test_dir("bindings/r/tova/tests/testthat", reporter = "summary", stop_on_failure = TRUE)'
say "plots"
mkdir -p "$scratch/docs"
R_LIBS="$scratch/R" Rscript bindings/r/make-plots.R examples/meadow_survey.dat "$scratch/docs"
for png in tova-scree.png tova-loadings.png; do
  [ -s "$scratch/docs/$png" ] || { echo "no $png drawn"; exit 1; }
done
[ "${TOVA_UPDATE_DOCS:-}" = 1 ] && cp "$scratch"/docs/*.png docs/

say "pip install bindings/python"
TOVA_BUILD_JOBS=2 /usr/bin/python3 -m pip install -q --no-deps --no-build-isolation \
  --target "$scratch/py" ./bindings/python > "$scratch/pip.log" 2>&1 ||
  { cat "$scratch/pip.log"; exit 1; }
say "pytest"
(cd "$scratch" && PYTHONPATH="$scratch/py" /usr/bin/python3 -m pytest -q -p no:cacheprovider \
  "$root/bindings/python/tests")
say "done"
