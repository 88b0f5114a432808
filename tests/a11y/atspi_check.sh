#!/usr/bin/env bash
# Runs Titora on a virtual X display with a private session bus and the AT-SPI accessibility
# bus, and checks through that bus what a screen reader sees and can do (atspi_check.py).
# Usage: atspi_check.sh PATH_TO_TITORA. Exits 77 (skipped) where the tools are missing.
set -uo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)
launcher=/usr/libexec/at-spi-bus-launcher
for tool in Xvfb dbus-daemon "$launcher"; do
    command -v "$tool" > /dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2> /dev/null || { echo "skipped: no pyatspi"; exit 77; }

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null; done
    wait 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# A display of its own: Xvfb picks a free number and writes it to the pipe once it listens.
# Two servers starting at once may pick the same number and one of them gives up: then
# start another.
display=
for _ in 1 2 3; do
    rm -f "$work/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$work/display" 2> /dev/null &
    xvfb=$!
    for _ in $(seq 50); do [[ -s $work/display ]] && break; sleep 0.1; done
    sleep 0.2
    if kill -0 "$xvfb" 2> /dev/null && [[ -s $work/display ]]; then
        pids+=("$xvfb")
        display=$(head -n1 "$work/display")
        break
    fi
done
[[ -n $display ]] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=:$display

bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) || exit 1
export DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<< "$bus")
pids+=("$(sed -n 2p <<< "$bus")")
"$launcher" --launch-immediately > /dev/null 2>&1 &
pids+=($!)

printf '<html><head><title>Hello there</title></head></html>' > "$work/page.html"
QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" &
app=$!
pids+=("$app")
timeout 100 /usr/bin/python3 "$here/atspi_check.py" "$work/page.html" "Hello there" || exit 1
# Exit, pressed through the bus, ends the program with code 0.
for _ in $(seq 100); do kill -0 "$app" 2> /dev/null || break; sleep 0.1; done
wait "$app"
