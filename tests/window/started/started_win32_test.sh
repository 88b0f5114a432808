#!/usr/bin/env bash
# The real titora.exe started once under wine with Qt's `windows` platform, on a virtual X
# display: it maps its window with the page named on its command line as a row, Title It
# reached by keys (the list's context menu, Modify Title, the typed title) writes the page,
# the row shows the new title, and Exit ends the program. A picture of the window is kept
# in the build folder (started_win32.png). Skipped (77) where Xvfb or xdotool is missing.
# Usage: started_win32_test.sh WINE_RUN DLL_PATH TITORA_EXE BUILD_DIR
set -euo pipefail
wine_run=$1
dlls=$2
titora=$3
build=$(cd "$4" && pwd)
for tool in Xvfb xdotool import; do
    command -v "$tool" >/dev/null || { echo "skipped: no $tool"; exit 77; }
done

# The real window, on the display: not the offscreen platform the other tests run on.
unset QT_QPA_PLATFORM

work=$(mktemp -d /tmp/titora-started-XXXXXX)
# A prefix of its own, kept between runs (making one takes seconds): the tests' prefix has
# no display, and this one's server must not outlive the test and hold ctest's pipes.
export WINEPREFIX="$build/wineprefix-display"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
wineserver=/usr/lib/wine/wineserver64
xvfb=""
finish() {
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w 2>/dev/null || true
    [[ -n $xvfb ]] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT

# Xvfb picks a free display itself and names it on the descriptor given.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp </dev/null >"$work/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
done
export DISPLAY=":$(<"$work/display")"

mkdir -p "$WINEPREFIX"
"$wineserver" -p </dev/null >/dev/null 2>&1 || true # one may be up already
/usr/lib/wine/wine64 wineboot --init </dev/null >"$work/wineboot.log" 2>&1

page=$work/page.html
printf '<html><head><title>Old title</title></head><body>x</body></html>' >"$page"
"$wine_run" --dlls "$dlls" "$titora" "$page" </dev/null >"$work/titora.log" 2>&1 &
titora_pid=$!

fail() {
    echo "FAIL: $1"
    import -window root "$build/started_win32.png" 2>/dev/null || true
    for log in titora wineboot xvfb; do
        echo "--- $log"
        cat "$work/$log.log"
    done
    exit 1
}

# The window maps: wine makes an X window of each Windows one, named by its caption.
window=$(timeout 120 xdotool search --sync --onlyvisible --name '^Titora$' | head -1) ||
    fail "no window"
# A click on the row makes the window the one that takes keys, and selects the row; Shift+F10
# opens the list's menu, whose second entry is Modify Title. Keys typed before its box is up
# would go to the list. A window that has only just mapped may not take the first click yet:
# the steps are tried again, after Escape has closed whatever they opened.
box=""
for _ in 1 2 3; do
    xdotool mousemove --window "$window" 146 77 click 1
    xdotool key --delay 100 shift+F10 Down Down Return
    box=$(timeout 20 xdotool search --sync --onlyvisible --name '^Input TITLE$' | head -1) && break
    xdotool key Escape Escape
done
[[ -n $box ]] || fail "Modify Title showed no box"
xdotool type --delay 20 'New title'
xdotool key Return
for _ in $(seq 600); do
    grep -q '<title>New title</title>' "$page" && break
    sleep 0.1
done
grep -q '<title>New title</title>' "$page" || fail "the page was not retitled: $(<"$page")"
import -window "$window" "$build/started_win32.png"

# Exit, at its place in the window's definition.
xdotool mousemove --window "$window" 620 305 click 1
for _ in $(seq 300); do
    kill -0 "$titora_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$titora_pid" 2>/dev/null && fail "Exit did not end the program"
wait "$titora_pid" || fail "titora ended with status $?"
[[ $(<"$page") == '<html><head><title>New title</title></head><body>x</body></html>' ]] ||
    fail "the page around the title changed: $(<"$page")"
echo "started under wine: window mapped, page retitled by keys, Exit ended it"
