#!/usr/bin/env bash
# The position display under the movie: colours chosen in the colour picker
# show in it, a cancelled picker changes nothing, and Display Frames switches
# it to a frame number and Display Time back.
source "$(dirname "$0")/lib.sh"

start_x 1024x768
make_media
start_zelvo "$MEDIA/clip.mpg"
main=$(wait_window "Zadudu Divir Edever")

# Colours the test clip does not hold, so every pixel of them is the display's.
BACK="#1a2b3c"
FORE="#e0d0a0"

shot() { import -window "$main" "$WORK/$1.png"; }

# count FILE COLOUR [FUZZ]: pixels of that colour, exactly or within FUZZ
# (text is smoothed, so only the middle of its strokes has the exact colour).
count() {
    convert "$1" -alpha off -fuzz "${3:-0}" -fill black +opaque "$2" -fill white -opaque "$2" \
        -format '%[fx:round(mean*w*h)]' info:
}

# pixel FILE X Y: "#RRGGBB" of one pixel.
pixel() {
    convert "$1" -alpha off -crop "1x1+$2+$3" +repage -depth 8 -format '%[hex:p{0,0}]' info: | cut -c1-6 | tr 'A-F' 'a-f' | sed 's/^/#/'
}

# choose_setting N: the Nth item of the Setting menu, from 0. By position, as
# "Display &Fore Color" and "Display &Frames" share their access key.
BACK_ITEM=0 FORE_ITEM=1 UNIT_ITEM=3
choose_setting() {
    xdotool windowactivate --sync "$main" 2>/dev/null || true
    xdotool key --clearmodifiers alt+s
    wait_popup "$main" >/dev/null
    for _ in $(seq "$1"); do xdotool key Down; done
    xdotool key Return
}

# pick ITEM COLOUR [cancel]: opens the picker from the Setting menu, types
# the colour into its HTML field, then presses OK (Enter) or Cancel (Esc).
pick() {
    choose_setting "$1"
    local dialog
    dialog=$(wait_window "Select Color")
    xdotool windowactivate --sync "$dialog" 2>/dev/null || true
    sleep 0.3
    import -window "$dialog" "$WORK/picker.png"
    owner=$(xprop -id "$dialog" WM_TRANSIENT_FOR | awk '{print $NF}')
    [ $((owner)) -eq $((main)) ] || fail "the colour picker belongs to $owner, not to the player window"
    xdotool key --clearmodifiers alt+h ctrl+a
    xdotool type --delay 30 "$2"
    xdotool key Tab
    sleep 0.2
    if [ "${3:-}" = cancel ]; then xdotool key Escape; else xdotool key Return; fi
    wait_no_window "Select Color"
    sleep 0.5
}

# The Setting menu is usable once the clip has opened, which is also when it
# enters the recent-files list.
for _ in $(seq 150); do
    [ "$(ini_value 0)" = "$MEDIA/clip.mpg" ] && break
    sleep 0.1
done
[ "$(ini_value 0)" = "$MEDIA/clip.mpg" ] || fail "the clip did not open"
# The clip (3 s) plays and ends; then the display holds still.
previous=""
for _ in $(seq 60); do
    sleep 0.5
    shot still
    current=$(md5sum <"$WORK/still.png")
    [ "$current" = "$previous" ] && break
    previous=$current
done
[ "$current" = "$previous" ] || fail "the player window never stopped changing"

shot before
[ "$(count "$WORK/before.png" "$BACK")" -eq 0 ] || fail "the chosen back colour is there before it was chosen"
[ "$(count "$WORK/before.png" "$FORE")" -eq 0 ] || fail "the chosen fore colour is there before it was chosen"

# Back colour: the display's background takes it.
pick $BACK_ITEM "$BACK"
shot back
back_pixels=$(count "$WORK/back.png" "$BACK")
echo "back colour pixels: $back_pixels"
[ "$back_pixels" -gt 500 ] || fail "the display does not show the chosen back colour ($back_pixels pixels)"
# Where the display is: the box round its background.
box=$(convert "$WORK/back.png" -alpha off -fill black +opaque "$BACK" -fill white -opaque "$BACK" -format '%@' info:)
read -r bw bh bx by <<<"$(echo "$box" | sed 's/[x+]/ /g')"
echo "display at ${bw}x$bh+$bx+$by"
[ "$(pixel "$WORK/back.png" $((bx + 1)) $((by + 1)))" = "$BACK" ] || fail "the display's corner is not the back colour"

# Fore colour: its text takes it, inside the display.
pick $FORE_ITEM "$FORE"
shot fore
convert "$WORK/fore.png" -crop "${bw}x$bh+$bx+$by" +repage "$WORK/display-time.png"
fore_pixels=$(count "$WORK/display-time.png" "$FORE" 15%)
echo "fore colour pixels in the display: $fore_pixels"
[ "$fore_pixels" -gt 10 ] || fail "the display's text is not in the chosen fore colour ($fore_pixels pixels)"
exact=$(count "$WORK/fore.png" "$FORE")
[ "$exact" -gt 0 ] && [ "$(count "$WORK/display-time.png" "$FORE")" -eq "$exact" ] ||
    fail "the fore colour is not, or not only, in the display"
[ "$(count "$WORK/fore.png" "$BACK")" -gt 500 ] || fail "the back colour went when the fore colour was chosen"

# A cancelled picker leaves the colours as they were.
pick $BACK_ITEM "#ff0000" cancel
# It opened with the display's back colour as its current colour.
[ "$(count "$WORK/picker.png" "$BACK")" -gt 1000 ] || fail "the picker did not open with the current back colour"
shot cancelled
diff=$(changed_pixels "$WORK/fore.png" "$WORK/cancelled.png")
[ "$diff" -eq 0 ] || fail "a cancelled picker changed the window ($diff pixels)"

# Display Frames: the same still position now reads as a frame number.
choose_setting $UNIT_ITEM
sleep 0.7
shot frames
screenshot frames-screen
convert "$WORK/frames.png" -crop "${bw}x$bh+$bx+$by" +repage "$WORK/display-frames.png"
diff=$(changed_pixels "$WORK/display-time.png" "$WORK/display-frames.png")
echo "display pixels that change with the unit: $diff"
[ "$diff" -gt 0 ] || fail "Display Frames did not change the display"
[ "$(count "$WORK/display-frames.png" "$FORE" 15%)" -gt 10 ] || fail "the frame number is not in the fore colour"

# Display Time: back to exactly what it showed.
choose_setting $UNIT_ITEM
sleep 0.7
shot time-again
convert "$WORK/time-again.png" -crop "${bw}x$bh+$bx+$by" +repage "$WORK/display-time-again.png"
diff=$(changed_pixels "$WORK/display-time.png" "$WORK/display-time-again.png")
[ "$diff" -eq 0 ] || fail "Display Time did not bring the time back ($diff pixels differ)"

kill -0 "$ZELVO_PID" || fail "zelvo exited"
echo "ok"
