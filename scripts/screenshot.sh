#!/usr/bin/env bash
# Remakes resources/screenshot.png, the window as the README shows it: Titora from a
# finished build, run under its own Xvfb server on a small demo site, with two rows
# selected. Needs xvfb, x11-utils, xdotool and imagemagick.
#
#   bash scripts/screenshot.sh [BUILD_DIR] [DISPLAY]    # defaults: build, :20
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$source_dir/build}" && pwd)
display=${2:-:20}
titora=$build/src/window/titora
[[ -x $titora ]] || { echo "no $titora: build first" >&2; exit 1; }

work=$(mktemp -d /tmp/www.XXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The demo site: a few pages as a small shop's site has them, one without a title.
page() { mkdir -p "$(dirname "$work/$1")"; printf '<html><head><title>%s</title></head><body></body></html>' "$2" >"$work/$1"; }
page index.html "Our shop"
page about.html "About us"
page contact.htm "Contact"
page help/html-tutorial.html "HTML Tutorial for ATM users (TM)"
page help/faq.html "Questions and answers"
page shop/cart.asp "Your cart"
page shop/offers.shtml "Offers of the week"
printf '<html><body>Coming soon</body></html>' >"$work/news.html"

Xvfb "$display" -screen 0 760x520x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
xdpyinfo -display "$display" >/dev/null 2>&1 || { echo "Xvfb $display did not start" >&2; exit 1; }

# A scale of one, the bitmap face, no theme of the desktop, a state folder of its own.
DISPLAY=$display QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=1 QT_QPA_PLATFORMTHEME= \
    XDG_STATE_HOME=$work/.state "$titora" "$work" >/dev/null 2>&1 &
pids+=($!)
window=
for _ in $(seq 100); do
    window=$(DISPLAY=$display xdotool search --onlyvisible --name '^Titora$' 2>/dev/null | head -1) || true
    [[ -n $window ]] && break
    sleep 0.1
done
[[ -n $window ]] || { echo "the window did not show" >&2; exit 1; }
# The rows come from the event loop once the window shows; then two are selected.
sleep 1
eval "$(DISPLAY=$display xdotool getwindowgeometry --shell "$window")"
DISPLAY=$display xdotool mousemove $((X + 150)) $((Y + 75)) click 1
DISPLAY=$display xdotool mousemove $((X + 150)) $((Y + 101)) keydown ctrl click 1 keyup ctrl
DISPLAY=$display xdotool mousemove $((X + 640)) $((Y + 430))
sleep 0.5
import -display "$display" -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage \
    "$source_dir/resources/screenshot.png"
echo "resources/screenshot.png: ${WIDTH}x${HEIGHT}"
