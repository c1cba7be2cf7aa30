#!/usr/bin/env bash
# A path on the command line that does not exist gives one message box and
# no crash; the window then comes up empty and usable, and nothing is recorded.
source "$(dirname "$0")/lib.sh"

missing="$WORK/no such film.mpg"
start_x 1024x768
start_zelvo "$missing"
box=$(wait_window "zelvo")
sleep 0.5
screenshot missing-message
not_black "$WORK/missing-message.png"
[ "$(xdotool search --onlyvisible --name '^zelvo$' | wc -l)" -eq 1 ] || fail "more than one message box"
xdotool windowactivate --sync "$box" 2>/dev/null || true
xdotool key Return
wait_no_window "zelvo"

wid=$(wait_window "Zadudu Divir Edever")
sleep 1
xdotool search --onlyvisible --name '^zelvo$' >/dev/null 2>&1 && fail "a second message box came up"
kill -0 "$ZELVO_PID" || fail "zelvo exited"
read -r x y w h <<<"$(geometry "$wid")"
[ "$w" -eq 382 ] || fail "the empty window is $w wide, expected 382"
for key in 0 1 2 3 4; do
    [ -z "$(ini_value $key)" ] || fail "slot $key holds '$(ini_value $key)'"
done
grep -q "^0=$" "$XDG_CONFIG_HOME/Quorvel Movie.ini" || fail "the recent-files keys were not created"

# Still usable: File > Open comes up.
xdotool key --window "$wid" ctrl+o
wait_window "Open" >/dev/null
sleep 0.3
xdotool key Escape
wait_no_window "Open"
screenshot missing-window
kill -0 "$ZELVO_PID" || fail "zelvo exited"
echo "ok"
