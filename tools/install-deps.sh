#!/usr/bin/env bash
# Installs from Debian's packages what building and testing tova needs.
#
#   tools/install-deps.sh               compiler, CMake and GoogleTest (the tests)
#   tools/install-deps.sh --build-only  compiler and CMake: enough for `tova`
#   extras, added to the above:
#     --fuzz     clang and its libFuzzer run-time (tools/fuzz.sh)
#     --package  dpkg-dev and file, for the package's library dependencies (cpack)
#     --docs     R and numpy, which run the snippets of docs/method.md
#     --windows  mingw-w64, Wine, Xvfb and the tools that drive the window,
#                CUPS with a PDF printer (tools/ci-wine.sh)
#     --bindings R with Rcpp and testthat, Python with pybind11, numpy,
#                pytest, scipy and scikit-bio (tools/ci-bindings.sh)
#     --all      every extra
#
# Runs apt-get as root, or through sudo for another user; updates the
# package lists first when something is missing (a fresh system has none).
set -euo pipefail
build=(cmake g++ make)
tests=(libgtest-dev libgmock-dev)
fuzz=(clang libclang-rt-14-dev)
package=(dpkg-dev file)
docs=(r-base-core python3-numpy)
windows=(g++-mingw-w64-x86-64 wine wine64 fonts-wine xvfb xdotool imagemagick x11-utils
         googletest strace python3 python3-tk
         cups cups-bsd printer-driver-cups-pdf poppler-utils)
bindings=(r-base-dev r-cran-rcpp r-cran-testthat r-cran-cluster r-cran-vegan
          python3 python3-dev python3-pip python3-setuptools python3-pybind11 python3-numpy
          python3-pytest python3-scipy python3-skbio)
packages=()
with_tests=yes
for option in "$@"; do
  case "$option" in
    --build-only) with_tests=no ;;
    --fuzz) packages+=("${fuzz[@]}") ;;
    --package) packages+=("${package[@]}") ;;
    --docs) packages+=("${docs[@]}") ;;
    --windows) packages+=("${windows[@]}") ;;
    --bindings) packages+=("${bindings[@]}") ;;
    --all) packages+=("${fuzz[@]}" "${package[@]}" "${docs[@]}" "${windows[@]}" "${bindings[@]}") ;;
    -h | --help) sed -n '2,19s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) echo "install-deps.sh: unknown option $option (try --help)" >&2; exit 2 ;;
  esac
done
packages=("${build[@]}" "${packages[@]}")
[ "$with_tests" = yes ] && packages+=("${tests[@]}")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps.sh: run as root or install sudo" >&2; exit 1; }
  SUDO=(sudo)
fi
echo "installing: ${missing[*]}"
# Standard input stays for whatever follows in the user's command.
"${SUDO[@]}" apt-get update -q </dev/null
"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
