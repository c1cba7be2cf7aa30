#!/usr/bin/env bash
# The player window comes up titled, with a 382 x 366 pixel area below its menu bar.
source "$(dirname "$0")/lib.sh"

start_x 1024x768
start_zelvo
wid=$(wait_window "Zadudu Divir Edever")
sleep 1
read -r x y w h <<<"$(geometry "$wid")"
echo "window at $x,$y size ${w}x$h"
[ "$w" -eq 382 ] || fail "client width $w, expected 382"

# The File menu drops down right below the menu bar: its top is where the client area starts.
xdotool key --window "$wid" alt+f
popup=$(wait_popup "$wid")
read -r px py pw ph <<<"$(geometry "$popup")"
below=$((y + h - py))
echo "menu bar ends at $py; area below it ${w}x$below"
[ "$below" -eq 366 ] || fail "area below the menu bar is $below high, expected 366"
screenshot window-file-menu
xdotool key Escape
for _ in $(seq 100); do [ -z "$(popups "$wid")" ] && break; sleep 0.1; done
[ -z "$(popups "$wid")" ] || fail "Escape did not close the File menu"

# Setting is disabled until a file has opened: Alt+S opens nothing.
xdotool key --window "$wid" alt+s
no_popup "$wid"
screenshot window
not_black "$WORK/window.png"
kill -0 "$ZELVO_PID" || fail "zelvo exited"
echo "ok"
