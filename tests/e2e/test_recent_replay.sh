#!/usr/bin/env bash
# A clip played once stays in File > Recent Files: started again without
# arguments, the player lists it there, and choosing it plays it again.
source "$(dirname "$0")/lib.sh"

film="$WORK/clip one.mpg"
long_clip "$film" 352x288
start_x 1024x768

# First run: the clip is recorded.
start_zelvo "$film"
wid=$(wait_window "Zadudu Divir Edever")
wait_slot 0 "$film"
close_zelvo "$ZELVO_PID" || fail "closing the window did not end the program"
before=$(cat "$XDG_CONFIG_HOME/Quorvel Movie.ini")

# Second run, no arguments: an empty window until the recent file is chosen.
start_zelvo
wid=$(wait_window "Zadudu Divir Edever")
sleep 1
read -r x y w h <<<"$(geometry "$wid")"
[ "$w" -eq 382 ] || fail "the empty window is $w wide, expected 382"

xdotool key --window "$wid" alt+f
wait_popup "$wid" >/dev/null
xdotool key r
wait_popup "$wid" 2 >/dev/null
sleep 0.3
screenshot recent-menu
not_black "$WORK/recent-menu.png"
xdotool key Return

# The clip plays again: the window is fitted round it and the picture moves.
for _ in $(seq 200); do
    read -r x y w h <<<"$(geometry "$wid")"
    [ "$w" -ne 382 ] && break
    sleep 0.1
done
sleep 0.5
read -r x y w h <<<"$(geometry "$wid")"
echo "window ${w}x$h after choosing the recent file"
[ $((w - 469)) -le 1 ] && [ $((469 - w)) -le 1 ] || fail "window $w wide after the recent file opened, expected 469"
check_playing "$wid"

# Already in slot 0: nothing new is recorded.
[ "$(cat "$XDG_CONFIG_HOME/Quorvel Movie.ini")" = "$before" ] || fail "the settings file changed"
screenshot recent-playing
kill -0 "$ZELVO_PID" || fail "zelvo exited"
echo "ok"
