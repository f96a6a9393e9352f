#!/bin/sh
# Shows two builds of the program in turn under the same kind of Xvfb, takes
# the main window in the same states with each, and compares the pictures
# pixel by pixel (ImageMagick's absolute error count: 0 is identical).
# States: just started; the keyboard focus moved to the name list; a row
# picked by key and mouse, then the list scrolled by the wheel.
# Usage: scripts/compare-window.sh BEFORE_PROGRAM AFTER_PROGRAM [OUTPUT_DIR]
# Exits 1 when any state differs.
set -eu
before=$1
after=$2
out=${3:-$(mktemp -d)}
mkdir -p "$out"

shoot() {  # PROGRAM PREFIX
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x700x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
  xvfb=$!
  read -r display <"$fifo"
  rm -f "$fifo"
  runtime=$(mktemp -d)
  DISPLAY=":$display" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$runtime" "$1" &
  app=$!
  export DISPLAY=":$display"
  window=$(xdotool search --sync --onlyvisible --name '^Tintaro$' | head -n 1)
  sleep 1
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  x=$(xwininfo -id "$window" | sed -n 's/^ *Absolute upper-left X: *//p')
  y=$(xwininfo -id "$window" | sed -n 's/^ *Absolute upper-left Y: *//p')
  xdotool mousemove 0 0
  sleep 0.5
  import -window "$window" "$out/$2-start.png"
  # From the first slider back past Edit2 to the list.
  xdotool key shift+Tab shift+Tab
  sleep 0.5
  import -window "$window" "$out/$2-focus.png"
  # The last row, two up, a click on the third row in view, one wheel step
  # up and the pointer off the list.
  xdotool key End Up Up
  xdotool mousemove $((x + 184 + 40)) $((y + 416 + 40)) click 1
  sleep 0.3
  xdotool click 4 mousemove 0 0
  # Past the list's delayed scroll to a pressed row.
  sleep 1
  import -window "$window" "$out/$2-picked.png"
  kill "$app" "$xvfb" 2>/dev/null || true
  wait "$app" "$xvfb" 2>/dev/null || true
  rm -rf "$runtime"
}

shoot "$before" before
shoot "$after" after
status=0
for state in start focus picked; do
  # compare prints the count on stderr and exits 1 when the pictures differ.
  difference=$(compare -metric AE "$out/before-$state.png" "$out/after-$state.png" "$out/difference-$state.png" 2>&1) || status=1
  echo "$state: $difference pixels differ"
done
exit $status
