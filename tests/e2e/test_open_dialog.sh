#!/usr/bin/env bash
# File > Open: a path typed into the Open dialog plays in place of the clip
# before, the window is fitted round the new picture and centred again, and
# the path is recorded in slot "1". A cancelled dialog changes nothing.
source "$(dirname "$0")/lib.sh"

first="$WORK/first.mpg"
second="$WORK/second clip.MPG"
long_clip "$first" 352x288
long_clip "$second" 320x240
start_x 1024x768
# Started in the clips' folder, where the Open dialog starts: only a short
# name needs typing.
cd "$WORK"
start_zelvo "$first"
cd - >/dev/null
wid=$(wait_window "Zadudu Divir Edever")
wait_slot 0 "$first"
sleep 0.5

# Cancelled: nothing changes.
before=$(cat "$XDG_CONFIG_HOME/Quorvel Movie.ini")
xdotool key --window "$wid" ctrl+o
dialog=$(wait_window "Open")
sleep 0.5
xdotool key Escape
wait_no_window "Open"
[ "$(cat "$XDG_CONFIG_HOME/Quorvel Movie.ini")" = "$before" ] || fail "a cancelled Open changed the settings file"
read -r x y w h <<<"$(geometry "$wid")"
near "$w" 469 1 || fail "a cancelled Open changed the window to $w wide"

# Chosen: the name typed into the file name field.
xdotool key --window "$wid" ctrl+o
dialog=$(wait_window "Open")
sleep 0.5
xdotool type --delay 60 "$(basename "$second")"
sleep 0.3
screenshot open-dialog
xdotool key Return
for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^Open\$" >/dev/null 2>&1 || break
    sleep 0.1
done
xdotool search --onlyvisible --name "^Open\$" >/dev/null 2>&1 &&
    fail "the Open dialog is still open after Return: was '$(basename "$second")' typed in full, in $WORK?"
wait_slot 1 "$second"
[ "$(ini_value 0)" = "$first" ] || fail "slot 0 changed to '$(ini_value 0)'"

# A 320 x 240 picture within half the screen is 512 x 384: refitted and centred.
for _ in $(seq 150); do
    read -r x y w h <<<"$(geometry "$wid")"
    near "$w" 512 1 && break
    sleep 0.1
done
sleep 0.3
read -r x y w h <<<"$(geometry "$wid")"
near "$w" 512 1 || fail "client width $w after the second clip, expected 512"
check_centred "$wid" 1024 768

check_playing "$wid"

screenshot open-playing
kill -0 "$ZELVO_PID" || fail "zelvo exited"
echo "ok"
