#!/usr/bin/env bash
# Started with a clip whose name has a blank in it, the player fits its window
# round the movie at a quarter of the screen, centres the window on the
# screen, plays the clip and records its path in slot "0" of the settings file.
source "$(dirname "$0")/lib.sh"

film="$WORK/my film.mpg"
long_clip "$film" 352x288
start_x 1024x768
start_zelvo "$film"
wid=$(wait_window "Zadudu Divir Edever")

wait_slot 0 "$film"
for key in 1 2 3 4; do
    [ -z "$(ini_value $key)" ] || fail "slot $key holds '$(ini_value $key)'"
done
grep -q "^4=$" "$XDG_CONFIG_HOME/Quorvel Movie.ini" || fail "the empty slots were not written"
sleep 0.5

# A 352 x 288 picture fitted within half the screen's width and height is
# 469 x 384 pixels; the window's client area is exactly that wide.
read -r x y w h <<<"$(geometry "$wid")"
near "$w" 469 1 || fail "client width $w, expected 469"
check_centred "$wid" 1024 768

# Playing: the picture changes from one moment to the next.
check_playing "$wid"

# The window carries the program's icon.
icon=$(xprop -id "$wid" -f _NET_WM_ICON 32c _NET_WM_ICON | sed -n 's/.*= \([0-9]*\), \([0-9]*\),.*/\1x\2/p')
echo "window icon: ${icon:-none}"
[ -n "$icon" ] && [ "$icon" != "0x0" ] || fail "the window has no icon"

screenshot startup-clip
kill -0 "$ZELVO_PID" || fail "zelvo exited"
echo "ok"
