#!/usr/bin/env bash
# Installs from Debian's packages what building and testing tova needs.
#
#   tools/install-deps.sh               compiler, CMake and GoogleTest (the tests)
#   tools/install-deps.sh --build-only  compiler and CMake: enough for `tova`
#   extras, added to the above:
#     --fuzz     clang and its libFuzzer run-time (tools/fuzz.sh)
#     --package  dpkg-dev and file, for the package's library dependencies (cpack)
#     --docs     R and numpy, which run the snippets of docs/method.md
#     --all      every extra
#   (tools/ci-wine.sh installs mingw-w64, Wine and Xvfb itself.)
#
# Runs apt-get as root, or through sudo for another user; updates the
# package lists first when something is missing (a fresh system has none).
set -euo pipefail
build=(cmake g++ make)
tests=(libgtest-dev libgmock-dev)
fuzz=(clang libclang-rt-14-dev)
package=(dpkg-dev file)
docs=(r-base-core python3-numpy)
packages=()
with_tests=yes
for option in "$@"; do
  case "$option" in
    --build-only) with_tests=no ;;
    --fuzz) packages+=("${fuzz[@]}") ;;
    --package) packages+=("${package[@]}") ;;
    --docs) packages+=("${docs[@]}") ;;
    --all) packages+=("${fuzz[@]}" "${package[@]}" "${docs[@]}") ;;
    -h | --help) sed -n '2,15s/^# \{0,1\}//p' "$0"; exit 0 ;;
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
