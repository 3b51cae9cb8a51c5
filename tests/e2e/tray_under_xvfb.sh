#!/usr/bin/env bash
# Tarvo in a real notification area, driven as a user would: an X server
# (Xvfb), a system tray on it (trayer), and real clicks and keys (xdotool).
#
#   tray_under_xvfb.sh PROGRAM_FOLDER
#
# Hides the main window in the tray, right-double-clicks the icon quickly
# (the menu opens and closes again), double-clicks it to go online on the
# stand-in's "Tarvo Demo", right-clicks it for the tray menu and picks
# "Show Main". Any step that does not come about in time fails the test.
set -euo pipefail
program=$1
. "$(dirname "$0")/../../scripts/lib/xvfb-program.sh"
xvfb_program "$program" trayer xdotool

visible() { xdotool search --all --onlyvisible --name "$1" >/dev/null 2>&1; }
not_visible() { ! visible "$1"; }
# The window of Tarvo named exactly "Tarvo" and this wide or narrower
# (icon) or wider (main window).
tarvo_window() {
  local want=$1
  # Read each window's name: the icon's window is not found by a search
  # on its name.
  for w in $(xdotool search --all --onlyvisible --name '.*' 2>/dev/null); do
    [ "$(xdotool getwindowname "$w" 2>/dev/null)" = Tarvo ] || continue
    local width
    # A window may go between the listing and this look.
    width=$(xdotool getwindowgeometry "$w" 2>/dev/null | awk '/Geometry/{split($2, a, "x"); print a[1]}')
    [ -n "$width" ] || continue
    if { [ "$want" = icon ] && [ "$width" -le 64 ]; } || { [ "$want" = main ] && [ "$width" -gt 64 ]; }; then
      echo "$w"; return 0
    fi
  done
  return 1
}
has() { tarvo_window "$1" >/dev/null; }
lacks() { ! has "$1"; }
# The middle of a window on the screen, as "x y".
centre() {
  xdotool getwindowgeometry "$1" 2>/dev/null | awk '/Position/{split($2, p, ","); x = p[1]; y = p[2]}
    /Geometry/{split($2, s, "x"); print x + int(s[1] / 2), y + int(s[2] / 2)}'
}
# Finds the icon in the tray, other than the window named by $1 if given:
# sets icon, x and y (its middle). Icons come and go as the line changes,
# so every step is allowed to miss.
find_icon() {
  icon=$(tarvo_window icon) || return 1
  [ -z "${1:-}" ] || [ "$icon" != "$1" ] || return 1
  local at
  at=$(centre "$icon")
  [ -n "$at" ] || return 1
  read -r x y <<<"$at"
}

start_tray() {
  trayer --edge bottom --align right --widthtype pixel --width 160 --height 32 \
    --transparent false --tint 0x888888 >/dev/null 2>&1 & trayer=$!; pids+=("$trayer")
  until_true 10 "the notification area appears" visible '^panel$'
}
# Whether the icon found last ($x, $y) stands inside the notification area.
in_tray() {
  local panel
  panel=$(xdotool search --all --onlyvisible --name '^panel$' | head -1)
  [ -n "$panel" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$panel")"
  [ "$x" -ge "$X" ] && [ "$x" -lt $((X + WIDTH)) ] && [ "$y" -ge "$Y" ] && [ "$y" -lt $((Y + HEIGHT)) ]
}
icon_in_tray() { find_icon && in_tray; }
start_tray

(cd "$work" && exec ./tarvo >"$work/tarvo.out" 2>&1) & tarvo=$!; pids+=("$tarvo")
until_true 20 "the main window shows" has main
main=$(tarvo_window main)

# "&Tray View": the window goes, the idle icon comes.
for _ in 1 2 3 4 5 6 7 8 9 10; do
  xdotool windowfocus "$main" 2>/dev/null || true; sleep 0.1
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$main" ] && break
done
xdotool key alt+t
until_true 10 "the main window hides" lacks main
until_true 10 "the icon shows in the tray" find_icon

# A quick right double click is two right-button releases: the first opens
# the menu, the second closes it again, whether it comes before the menu
# shows, as it shows or after.
right_double_click() {
  local gap=$1
  xdotool mousemove "$x" "$y" click --repeat 2 --delay "$gap" 3
  sleep 1
  if visible '^Tarvo - Menu$'; then
    echo "FAILED: a right double click ${gap} ms apart left the tray menu open" >&2
    exit 1
  fi
}
for gap in 90 145 200 300; do right_double_click "$gap"; done
# A single right click still opens it, a second one closes it.
xdotool mousemove "$x" "$y" click 3
until_true 10 "the tray menu opens" visible '^Tarvo - Menu$'
xdotool mousemove "$x" "$y" click 3
until_true 10 "the tray menu closes" not_visible '^Tarvo - Menu$'

# The notification area goes (a panel restarting, here killed outright):
# the hidden Tarvo's icon becomes a window of its own within two seconds,
# which a click reaches; when the area is back the icon is in it again and
# the window is gone, again within two seconds.
kill -KILL "$trayer"; wait "$trayer" 2>/dev/null || true
until_true 2 "the icon's own window shows when the notification area goes" visible '^Not Online$'
own=$(xdotool search --all --onlyvisible --name '^Not Online$' | head -1)
xdotool mousemove --window "$own" 18 18 click 3
until_true 10 "the tray menu opens from the icon's own window" visible '^Tarvo - Menu$'
xdotool mousemove --window "$own" 18 18 click 3
until_true 10 "the tray menu closes again" not_visible '^Tarvo - Menu$'
start_tray
until_true 2 "the icon's own window goes when the notification area is back" not_visible '^Not Online$'
until_true 2 "the icon is in the notification area again" icon_in_tray

# A left double click on the icon goes online; the stand-in connects, and
# the session icon takes the idle one's place (a window of its own).
idle=$icon
xdotool mousemove "$x" "$y" click --repeat 2 --delay 80 1
until_true 30 "the line comes up" visible '^Connected to Tarvo Demo$'
until_true 10 "the session icon shows" find_icon "$idle"

right_double_click 90

# A right click opens the menu above and to the left of the pointer.
xdotool mousemove "$x" "$y" click 3
until_true 10 "the tray menu opens" visible '^Tarvo - Menu$'
menu=$(xdotool search --all --onlyvisible --name '^Tarvo - Menu$' | head -1)
eval "$(xdotool getwindowgeometry --shell "$menu")"
if [ $((X + WIDTH)) -gt "$x" ] || [ $((Y + HEIGHT)) -gt "$y" ]; then
  echo "FAILED: the menu at ${X},${Y} ${WIDTH}x${HEIGHT} is not above and left of the pointer at $x,$y" >&2
  exit 1
fi

# "Show Main" (the second item, 55 % across and 40 % down the menu): the
# menu and the icon go, the main window comes back.
xdotool mousemove --window "$menu" $((WIDTH * 55 / 100)) $((HEIGHT * 40 / 100)) click 1
until_true 10 "the menu closes" not_visible '^Tarvo - Menu$'
until_true 10 "the main window shows again" has main
until_true 10 "the icon leaves the tray" lacks icon

# A termination signal ends Tarvo quietly, the line left up.
kill -TERM "$tarvo"
if ! wait "$tarvo"; then
  echo "FAILED: Tarvo did not end cleanly; its output:" >&2
  cat "$work/tarvo.out" >&2
  exit 1
fi
echo "tray under Xvfb: all steps passed"
