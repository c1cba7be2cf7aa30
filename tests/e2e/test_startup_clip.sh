#!/usr/bin/env bash
# Started with a clip whose name has a blank in it, the player fits its window
# round the movie at a quarter of the screen, centres the window on the
# screen, plays the clip and records its path in slot "0" of the settings file.
source "$(dirname "$0")/lib.sh"

# clip FILE SIZE: a 20 s test picture with a running counter, made once.
clip() {
    [ -s "$1" ] || ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc=size=$2:rate=25" -t 20 \
        -c:v mpeg1video -b:v 1000k -f mpeg "$1"
}
near() { [ $(($1 - $2)) -le $3 ] && [ $(($2 - $1)) -le $3 ]; }

film="$WORK/my film.mpg"
clip "$film" 352x288
start_x 1024x768
start_zelvo "$film"
wid=$(wait_window "Zadudu Divir Edever")

for _ in $(seq 200); do [ "$(ini_value 0)" = "$film" ] && break; sleep 0.1; done
[ "$(ini_value 0)" = "$film" ] || fail "slot 0 holds '$(ini_value 0)', expected '$film'"
for key in 1 2 3 4; do
    [ -z "$(ini_value $key)" ] || fail "slot $key holds '$(ini_value $key)'"
done
grep -q "^4=$" "$XDG_CONFIG_HOME/Quorvel Movie.ini" || fail "the empty slots were not written"
sleep 0.5

# A 352 x 288 picture fitted within half the screen's width and height is
# 469 x 384 pixels; the window's client area is exactly that wide.
read -r x y w h <<<"$(geometry "$wid")"
read -r left right top bottom <<<"$(xprop -id "$wid" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,/ /g')"
fw=$((w + left + right)) fh=$((h + top + bottom)) fx=$((x - left)) fy=$((y - top))
echo "client ${w}x$h at $x,$y; frame ${fw}x$fh at $fx,$fy"
near "$w" 469 1 || fail "client width $w, expected 469"
# Centred on the 1024 x 768 screen, within a pixel.
near $((2 * fx + fw)) 1024 2 || fail "frame ${fw} wide at x=$fx is not centred"
near $((2 * fy + fh)) 768 2 || fail "frame ${fh} high at y=$fy is not centred"

# Playing: the picture changes from one moment to the next.
import -window root -crop "${w}x200+$x+$((y + 40))" "$WORK/picture-a.png"
sleep 1.5
import -window root -crop "${w}x200+$x+$((y + 40))" "$WORK/picture-b.png"
not_black "$WORK/picture-a.png"
changed=$(changed_pixels "$WORK/picture-a.png" "$WORK/picture-b.png")
echo "pixels changed: $changed"
[ "$changed" -gt 100 ] || fail "the picture did not change: the clip is not playing"

# The window carries the program's icon.
icon=$(xprop -id "$wid" -f _NET_WM_ICON 32c _NET_WM_ICON | sed -n 's/.*= \([0-9]*\), \([0-9]*\),.*/\1x\2/p')
echo "window icon: ${icon:-none}"
[ -n "$icon" ] && [ "$icon" != "0x0" ] || fail "the window has no icon"

screenshot startup-clip
kill -0 "$ZELVO_PID" || fail "zelvo exited"
echo "ok"
