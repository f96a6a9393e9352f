#!/bin/sh
# Takes the README screenshot: the real window under its own Xvfb.
# Usage: scripts/screenshot.sh BUILD_DIR OUTPUT.png
set -eu
build=${1:-build}
out=${2:-docs/screenshot.png}
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
# A mix with a name, so every read-out shows something: "gold" from the list.
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key Tab Tab Tab Tab Tab Tab
xdotool type gold
sleep 0.5
import -window "$window" "$out"
echo "$out"
