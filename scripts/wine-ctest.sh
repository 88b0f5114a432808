#!/usr/bin/env bash
# Runs ctest on a build made with cmake/mingw-w64-x86_64.cmake: each test program
# under wine64, headless, in a wine prefix of the build's own (the tests that start the
# window on a display, or run the installer, make prefixes of their own). Arguments after
# the build folder go to ctest.
#
#   bash scripts/wine-ctest.sh build-win -j 2 -R platform
#
# As root the run drops root's override of file permissions, so that a read-only file
# is read-only to the tests as well. One wine server serves the whole run, started
# before ctest and ended after it: a server or a wine service started by the first test
# would hold ctest's output pipe open and the run would never end.
set -euo pipefail
build=$1
shift

unset DISPLAY WAYLAND_DISPLAY
export WINEPREFIX="$(cd "$build" && pwd)/wineprefix"
export WINEDEBUG=-all
# No .NET or HTML engine to install into the prefix: the tests are console programs. No
# debugger either: a program that crashes ends at once, as a failed test, rather than
# waiting in wine's debugger.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
# Qt's offscreen platform on Windows draws text with the fonts of one folder, by default
# one beside Qt that no one fills; these are the faces the window's tests expect on Linux.
export QT_QPA_FONTDIR=Z:/usr/share/fonts/truetype/liberation
# Qt on Windows sends messages, Qt Test's report among them, to the debugger's log unless
# told otherwise: to standard error, so that ctest shows what failed.
export QT_FORCE_STDERR_LOGGING=1
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64

unprivileged=()
if ((EUID == 0)); then
    unprivileged=(setpriv --bounding-set=-dac_override,-dac_read_search)
fi

mkdir -p "$WINEPREFIX"
# Ends the server and waits for it to go, so that a run straight after finds none.
trap '"$wineserver" -k 2>/dev/null; "$wineserver" -w 2>/dev/null || true' EXIT
"${unprivileged[@]}" "$wineserver" -p </dev/null >/dev/null 2>&1
# Makes or updates the prefix and starts wine's services, away from ctest's pipes.
"${unprivileged[@]}" "$wine" wineboot --init </dev/null >"$build/wineboot.log" 2>&1
"${unprivileged[@]}" ctest --test-dir "$build" --output-on-failure "$@"
