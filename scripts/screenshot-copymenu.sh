#!/bin/sh
# Takes the README's picture of the copy menu: the real window under its own
# Xvfb, a mix with no name (#FFC800), the large swatch right-clicked.
# Usage: scripts/screenshot-copymenu.sh BUILD_DIR OUTPUT.png
set -eu
build=${1:-build}
out=${2:-docs/copymenu.png}
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1024x700x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
xvfb=$!
read -r display <"$fifo"
rm -f "$fifo"
runtime=$(mktemp -d)
trap 'kill $app $xvfb 2>/dev/null || true; rm -rf "$runtime"' EXIT
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$runtime"
"$build/tintaro" &
app=$!
window=$(xdotool search --sync --name '^Tintaro$' | head -n 1)
sleep 1
xdotool windowfocus --sync "$window" 2>/dev/null || true
# Red 255, green 200: between the named colours, near gold.
xdotool key End Tab End
xdotool key --repeat 55 Left
# No window manager: the window's client area stands at 123, 95. The name
# list scrolled by the wheel (which picks nothing) to some darker chips.
xdotool mousemove $((123 + 260)) $((95 + 460)) click --repeat 10 5
xdotool mousemove $((123 + 540)) $((95 + 120)) click 3
sleep 0.5
import -window root -crop 811x565+123+95 +repage "$out"
echo "$out"
