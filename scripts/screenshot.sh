#!/bin/sh
# Takes a README screenshot of the real program under its own Xvfb: the main
# window, with "chooser" the colour chooser, with "pair" the chooser's
# text on its background as with deuteranopia, with "copymenu" the large
# swatch's copy menu, with "loupe" the loupe of a pick from the screen, with
# "palette" the chooser's palette after three picks and a paste, with
# "palettemenu" its menu open at the copies of the custom colours.
# Usage: scripts/screenshot.sh BUILD_DIR OUTPUT.png [chooser|pair|copymenu|loupe|palette|palettemenu]
set -eu
build=${1:-build}
out=${2:-docs/screenshot.png}
what=${3:-window}
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
window=$(xdotool search --sync --onlyvisible --name '^Tintaro$' | head -n 1)
sleep 1
xdotool windowfocus --sync "$window" 2>/dev/null || true
# "ダイアログ" pressed, and the chooser given the focus: $chooser.
open_chooser() {
  x=$(xwininfo -id "$window" | sed -n 's/^ *Absolute upper-left X: *//p')
  y=$(xwininfo -id "$window" | sed -n 's/^ *Absolute upper-left Y: *//p')
  xdotool mousemove $((x + 277)) $((y + 36)) click 1 mousemove 0 0
  chooser=$(xdotool search --sync --onlyvisible --name '^色の設定$' | head -n 1)
  sleep 1
  xdotool windowfocus --sync "$chooser" 2>/dev/null || true
}
if [ "$what" = chooser ] || [ "$what" = pair ]; then
  # "ダイアログ", then a colour picked from the basic colours, one custom
  # colour added, and a near colour typed, so the preview shows a near name.
  open_chooser
  xdotool key alt+b Right Right Right Right Down space alt+a
  xdotool key alt+t ctrl+a
  xdotool type '#FFC800'
  xdotool key Return alt+b
  if [ "$what" = pair ]; then
    # The pair as with deuteranopia, the second way of seeing in the list.
    xdotool key alt+i Down Down
  fi
  sleep 0.5
  import -window "$chooser" "$out"
elif [ "$what" = palette ] || [ "$what" = palettemenu ]; then
  # "ダイアログ", three colours typed and each picked from the chooser's
  # own preview, then a style sheet pasted from the clipboard.
  open_chooser
  cx=$(xwininfo -id "$chooser" | sed -n 's/^ *Absolute upper-left X: *//p')
  cy=$(xwininfo -id "$chooser" | sed -n 's/^ *Absolute upper-left Y: *//p')
  for colour in '#2E8B57' '#E9967A' '#FFC800'; do
    xdotool key alt+t ctrl+a
    xdotool type "$colour"
    xdotool key Return alt+p
    sleep 0.5
    xdotool mousemove $((cx + 266)) $((cy + 256)) click 1
    sleep 0.5
  done
  printf '%s\n' ':root {' '  --brand: #0055ff;' '  --brand-dark: oklch(0.35 0.15 264);' \
    '  --accent: rebeccapurple;' '  --danger: color(display-p3 1 0 0);' '  --overlay: rgb(0 0 0 / 50%);' \
    '  --brand-again: #0055FF; /* the logo: #123456 */' '}' | xclip -selection clipboard -i
  xdotool key alt+o
  sleep 0.5
  xdotool key p
  sleep 1
  if [ "$what" = palettemenu ]; then
    xdotool key alt+o
    sleep 0.5
    xdotool key c
    sleep 0.5
    import -window root -crop 520x330+$((cx))+$((cy + 160)) +repage "$out"
  else
    import -window root -crop 230x300+$((cx))+$((cy + 160)) +repage "$out"
  fi
  xdotool key Escape Escape Escape
elif [ "$what" = loupe ]; then
  # "ダイアログ", "スポイト(P)", and the pointer on the corner of a basic
  # colour cell of the chooser, one pixel moved with the arrow keys.
  open_chooser
  xdotool key alt+p
  sleep 0.5
  cx=$(xwininfo -id "$chooser" | sed -n 's/^ *Absolute upper-left X: *//p')
  cy=$(xwininfo -id "$chooser" | sed -n 's/^ *Absolute upper-left Y: *//p')
  px=$((cx + 57)) py=$((cy + 47))
  xdotool mousemove $px $py
  xdotool key Right
  sleep 0.5
  import -window root -crop 180x170+$((px - 40))+$((py - 40)) +repage "$out"
  xdotool key Escape
elif [ "$what" = copymenu ]; then
  # Red 255, green 200: between the named colours, near gold.
  xdotool key End Tab End
  xdotool key --repeat 55 Left
  # No window manager: the window's client area stands at 123, 95. The name
  # list scrolled by the wheel (which picks nothing) to some darker chips.
  xdotool mousemove $((123 + 260)) $((95 + 460)) click --repeat 10 5
  # Far enough left that the longer CSS items fit inside the picture.
  xdotool mousemove $((123 + 425)) $((95 + 40)) click 3
  sleep 0.5
  import -window root -crop 811x565+123+95 +repage "$out"
else
  # A mix with a name, so every read-out shows something: "gold" from the list.
  xdotool key Tab Tab Tab Tab Tab Tab
  xdotool type gold
  sleep 0.5
  import -window "$window" "$out"
fi
echo "$out"
