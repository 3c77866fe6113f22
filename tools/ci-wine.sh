#!/usr/bin/env bash
# The Windows program under Wine: cross-build with mingw-w64, run the
# run-time's unit tests as .exe files, then drive tova.exe (and the host's
# probe program) in its window under Xvfb and compare with the native runs.
#
# Wine runs as an ordinary account (uid 65534) when this script runs as root:
# a superuser may write read-only files, which the file layer's tests check.
# Skips (exit 0) with a message only where Wine cannot start at all.
# Usage: tools/ci-wine.sh [--keep] [--only PATTERN]
#   --keep leaves the scratch folder; --only builds the programs alone and
#   runs only the window checks whose title holds PATTERN (no unit tests).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
keep=no
only=""
while [ $# -gt 0 ]; do
  case "$1" in
    --keep) keep=yes ;;
    --only) only="$2"; shift ;;
  esac
  shift
done
start=$(date +%s)
say() { echo "-- wine: $* ($(( $(date +%s) - start )) s)"; }

say "packages"
tools/install-deps.sh --windows

say "cross-build (mingw preset)"
cmake --preset mingw >/dev/null
if [ -n "$only" ]; then
  mingw_targets=(host_probe)
  if ls analysis/*.cpp >/dev/null 2>&1; then mingw_targets+=(tova); fi
  cmake --build build/mingw -j2 --target "${mingw_targets[@]}"
else
  cmake --build --preset mingw
fi

# The native programs the window runs are compared with, kept current.
[ -f build/dev/CMakeCache.txt ] || cmake --preset dev >/dev/null
native_targets=(host_probe)
if ls analysis/*.cpp >/dev/null 2>&1; then native_targets+=(tova); fi
say "native ${native_targets[*]} (dev preset)"
cmake --build build/dev -j2 --target "${native_targets[@]}"

scratch=$(mktemp -d /tmp/tova-wine.XXXXXX)
chmod 755 "$scratch"
xvfb_pid=""
cupsd_pid=""
queue=""
cleanup() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  if [ -n "$cupsd_pid" ]; then kill "$cupsd_pid" 2>/dev/null || true; fi
  if [ -n "$queue" ]; then rm -f "/etc/cups/cups-pdf-$queue.conf"; fi
  if [ -f "$scratch/runner" ]; then timeout 30 "$scratch/runner" wineserver -k 2>/dev/null || true; fi
  if [ "$keep" = yes ]; then echo "scratch kept: $scratch"; else rm -rf "$scratch"; fi
}
trap cleanup EXIT

# Wine prints only through CUPS: a private scheduler (its own folders and
# socket, so the system's queues stay untouched) with a PDF queue as the
# only, default printer. The PDF back end runs as root and reads its
# settings from /etc/cups/cups-pdf-<queue>.conf, so this needs root; the
# print check skips without it.
start_printer() {
  local cups="$scratch/cups"
  [ "$(id -u)" -eq 0 ] || { echo "note: not root, no PDF printer"; return 1; }
  [ -x /usr/sbin/cupsd ] && [ -x /usr/lib/cups/backend/cups-pdf ] || {
    echo "note: cupsd or cups-pdf missing, no PDF printer"; return 1; }
  queue="tova-${scratch##*.}"
  mkdir -p "$cups/etc" "$cups/spool/tmp" "$cups/cache" "$cups/state" "$cups/log" \
    "$cups/pdf-spool" "$scratch/pdf"
  chmod 755 "$cups" "$cups/pdf-spool"
  chmod 1777 "$scratch/pdf"
  cat > "$cups/etc/cupsd.conf" <<EOF
Listen $cups/cups.sock
ErrorLog $cups/log/error_log
AccessLog $cups/log/access_log
PageLog $cups/log/page_log
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
  cat > "$cups/etc/cups-files.conf" <<EOF
ServerRoot $cups/etc
RequestRoot $cups/spool
CacheDir $cups/cache
StateDir $cups/state
TempDir $cups/spool/tmp
User lp
Group lp
SystemGroup root
EOF
  cat > "/etc/cups/cups-pdf-$queue.conf" <<EOF
Out $scratch/pdf
AnonDirName $scratch/pdf
Spool $cups/pdf-spool
Log $cups/log
Grp lp
EOF
  /usr/sbin/cupsd -f -c "$cups/etc/cupsd.conf" -s "$cups/etc/cups-files.conf" \
    >"$cups/log/cupsd.out" 2>&1 &
  cupsd_pid=$!
  for _ in $(seq 1 50); do [ -S "$cups/cups.sock" ] && break; sleep 0.1; done
  if ! CUPS_SERVER="$cups/cups.sock" lpadmin -p "$queue" -E -v "cups-pdf:/$queue" \
        -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd 2>"$cups/log/lpadmin.log" ||
     ! CUPS_SERVER="$cups/cups.sock" lpadmin -d "$queue" 2>>"$cups/log/lpadmin.log"; then
    echo "note: the PDF queue could not be made:"
    cat "$cups/log/lpadmin.log" "$cups/log/cupsd.out"
    return 1
  fi
  # A page from the account Wine runs as: where it makes no PDF, the back
  # end cannot work here, and the print check skips.
  echo "ready" | setpriv --reuid=65534 --regid=65534 --clear-groups \
    env CUPS_SERVER="$cups/cups.sock" lp -t ready >/dev/null 2>>"$cups/log/lpadmin.log" || true
  for _ in $(seq 1 100); do
    ls "$scratch/pdf"/*.pdf >/dev/null 2>&1 && break
    sleep 0.2
  done
  if ! ls "$scratch/pdf"/*.pdf >/dev/null 2>&1; then
    echo "note: the PDF printer made no file from a test page:"
    cat "$cups/log/lpadmin.log"; tail -5 "$cups/log/error_log" "$cups/log"/cups-pdf* 2>/dev/null || true
    return 1
  fi
  rm -f "$scratch/pdf"/*.pdf
  echo "printer: $queue, PDF files in $scratch/pdf"
}
printer_env=""
if start_printer; then
  printer_env="export CUPS_SERVER='$scratch/cups/cups.sock' TOVA_PDF_DIR='$scratch/pdf'"
fi

# Every Wine and X command goes through this wrapper: the account, the
# prefix, the display and the printer.
write_runner() {  # write_runner <account: ordinary|self>
  {
    echo '#!/bin/sh'
    echo "export HOME='$scratch/home' WINEPREFIX='$scratch/home/prefix' WINEDEBUG=-all"
    echo 'export WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64'
    [ -n "$printer_env" ] && echo "$printer_env"
    echo "[ -f '$scratch/display' ] && export DISPLAY=\":\$(cat '$scratch/display')\""
    if [ "$1" = ordinary ]; then
      echo 'exec setpriv --reuid=65534 --regid=65534 --clear-groups "$@"'
    else
      echo 'exec "$@"'
    fi
  } > "$scratch/runner"
  chmod 755 "$scratch/runner"
}
mkdir -p "$scratch/home" "$scratch/work"
if [ "$(id -u)" -eq 0 ]; then
  write_runner ordinary
  chown 65534:65534 "$scratch/home" "$scratch/work"
  # The ordinary account must reach the build and the sources.
  if ! "$scratch/runner" test -r "$root/build/mingw/CMakeCache.txt"; then
    echo "note: $root is closed to uid 65534; Wine runs as root (the read-only file test skips)"
    write_runner self
    chown root:root "$scratch/home" "$scratch/work"
  fi
else
  write_runner self
fi

say "starting Xvfb and Wine"
touch "$scratch/display.fd" && chmod 666 "$scratch/display.fd"
"$scratch/runner" Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
  3>"$scratch/display.fd" 2>"$scratch/work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 1 100); do
  [ -s "$scratch/display.fd" ] && break
  sleep 0.1
done
if [ ! -s "$scratch/display.fd" ]; then
  echo "SKIP: Xvfb did not start, Wine tests not run"; cat "$scratch/work/xvfb.log"; exit 0
fi
tr -d '\n' < "$scratch/display.fd" > "$scratch/display"
if ! timeout 300 "$scratch/runner" wineboot -i >"$scratch/work/wineboot.log" 2>&1; then
  echo "SKIP: Wine cannot start here (wineboot failed), Wine tests not run"
  tail -5 "$scratch/work/wineboot.log"
  exit 0
fi
# Wine's own fonts (Marlett draws the caption buttons) where the prefix
# finds them.
fonts="$scratch/home/prefix/drive_c/windows/Fonts"
if [ -d /usr/share/wine/fonts ] && [ -d "$fonts" ]; then
  "$scratch/runner" sh -c "cp /usr/share/wine/fonts/*.ttf '$fonts'/" || true
fi
# Wine draws the windows' captions itself: Xvfb has no window manager.
timeout 60 "$scratch/runner" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f \
  >/dev/null 2>&1 || true
timeout 60 "$scratch/runner" wineserver -w || true

say "unit tests under Wine"
passed=0; failed=0; failures=(); cases_passed=0; cases_failed=0
while IFS= read -r exe; do
  name=$(basename "$exe" .exe)
  dir="$scratch/work/unit/$name"
  mkdir -p "$dir"; [ "$(id -u)" -eq 0 ] && chown 65534:65534 "$dir"
  if (cd "$dir" && timeout 300 "$scratch/runner" wine "$exe" >"$dir.log" 2>&1); then
    passed=$((passed + 1))
    n=$(tr -d '\r' < "$dir.log" | sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\./\1/p' | tail -1)
    cases_passed=$((cases_passed + ${n:-0}))
    grep -h '^\[  PASSED  \]\|^\[  SKIPPED \]' "$dir.log" | sed "s/^/   $name /"
  else
    failed=$((failed + 1)); failures+=("$name")
    n=$(tr -d '\r' < "$dir.log" | sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\{0,1\}, listed below:/\1/p' | tail -1)
    cases_failed=$((cases_failed + ${n:-1}))
    tail -40 "$dir.log"
  fi
done < <([ -n "$only" ] || find "$root/build/mingw/tests" -name '*_test.exe' | sort)
say "unit test programs: $passed passed, $failed failed"
echo "wine-unit: $cases_passed passed, $cases_failed failed"

say "window tests under Xvfb"
window_status=0
python=/usr/bin/python3; [ -x "$python" ] || python=$(command -v python3)
only_args=()
[ -n "$only" ] && only_args=(--only "$only")
"$scratch/runner" env TOVA_BENCH_LINES="${TOVA_BENCH_LINES:-66569}" "$python" \
  "$root/tests/host/win32/window_test.py" \
  --root "$root" --work "$scratch/work/window" --screenshot "$scratch/work/screenshot.png" \
  "${only_args[@]}" || window_status=$?
if [ -f "$scratch/work/screenshot.png" ]; then
  mkdir -p build/mingw && cp "$scratch/work/screenshot.png" build/mingw/screenshot.png
  say "screenshot in build/mingw/screenshot.png"
fi

if [ "$failed" -ne 0 ] || [ "$window_status" -ne 0 ]; then
  [ "$failed" -ne 0 ] && echo "failed unit test programs: ${failures[*]}"
  [ "$window_status" -ne 0 ] && echo "window tests failed"
  exit 1
fi
say "done"
