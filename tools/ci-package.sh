#!/usr/bin/env bash
# The installed program: `cmake --install` into a scratch prefix, then the
# Debian package (cpack -G DEB) installed with apt-get and run on the
# example, whose outputs must equal examples/expected/. The package is
# removed again afterwards.
#
# Installing needs root (CI runs as root); another user gets the package
# unpacked with dpkg -x instead, unless sudo works without a password;
# --unpack-only does that for root too (a machine that is not CI's own).
# Usage: tools/ci-package.sh [--unpack-only]
set -euo pipefail
cd "$(dirname "$0")/.."
unpack_only=no
[ "${1:-}" = "--unpack-only" ] && unpack_only=yes
root=$PWD
say() { echo "-- package: $*"; }
tools/install-deps.sh --build-only --package

build=build/package
say "release build in $build"
cmake -B "$build" -DCMAKE_BUILD_TYPE=Release -DTOVA_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target tova

scratch=$(mktemp -d /tmp/tova-package.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
chmod 755 "$scratch"

# Runs the installed example in a fresh folder and compares its outputs.
check_example() {  # check_example <tova> <examples folder>
  local run="$scratch/run.$RANDOM"
  mkdir -p "$run"
  cp "$2/meadow_survey.dat" "$run/"
  (cd "$run" && "$1" meadow_survey.dat --gower >stdout.txt 2>stderr.txt)
  # The dialogue's output without its two prompts: the command line's.
  grep -v '^  ENTER ' "$root/examples/expected/stdout.txt" | cmp - "$run/stdout.txt"
  for f in stderr.txt; do cmp "$2/expected/$f" "$run/$f"; done
  for f in LOADS.TXT MATRIX.DIS; do cmp "$2/expected/$f" "$run/$f"; done
}

say "cmake --install"
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
"$scratch/prefix/bin/tova" --version
test -f "$scratch/prefix/share/man/man1/tova.1"
check_example "$scratch/prefix/bin/tova" "$scratch/prefix/share/tova/examples"

say "cpack -G DEB"
rm -f "$build"/tova_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/tova_*.deb)
ls -l "$deb"
dpkg-deb --info "$deb" | sed -n 's/^ \(Package\|Version\|Architecture\|Depends\|Installed-Size\):/  &/p'

SUDO=()
if [ "$unpack_only" = yes ]; then
  SUDO=(none)
elif [ "$(id -u)" -ne 0 ]; then
  if sudo -n true 2>/dev/null; then SUDO=(sudo); else SUDO=(none); fi
fi
if [ "${SUDO[*]}" = none ]; then
  say "unpacking with dpkg -x instead of installing"
  dpkg-deb -x "$deb" "$scratch/deb"
  check_example "$scratch/deb/usr/bin/tova" "$scratch/deb/usr/share/tova/examples"
else
  if dpkg-query -W tova >/dev/null 2>&1; then
    echo "a tova package is installed already: not replacing it" >&2
    exit 1
  fi
  say "apt-get install ./$(basename "$deb")"
  cp "$deb" "$scratch/"
  chmod 644 "$scratch/$(basename "$deb")"
  trap '"${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get remove -y -q tova >/dev/null 2>&1 || true; rm -rf "$scratch"' EXIT
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q "$scratch/$(basename "$deb")" >/dev/null
  [ "$(command -v tova)" = /usr/bin/tova ]
  tova --version
  man -w tova >/dev/null 2>&1 || test -f /usr/share/man/man1/tova.1
  check_example /usr/bin/tova /usr/share/tova/examples
fi
say "done"
