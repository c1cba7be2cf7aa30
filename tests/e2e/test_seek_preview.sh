#!/usr/bin/env bash
# The seek-bar preview as a user meets it: the pointer over the seek bar shows
# a picture and the time above the bar, at the start, the middle and the end,
# in a quarter-screen window and in full screen, for an H.264 film and for a
# Video CD track read from a disc image; the pointer leaving takes it away.
# Screenshots: preview-{film,vcd}-{quarter,full}-{start,middle,end}.png.
source "$(dirname "$0")/lib.sh"

VCD=$WORK_ROOT/vcd
bash "$E2E_DIR/../media/make_vcd.sh" "$VCD"
cp "$VCD/video.cue" "$VCD/video.bin" "$WORK/"
export ZELVO_DRIVES="D=$WORK/video.cue"
FILM=$WORK/film.mp4
ffmpeg -hide_banner -loglevel error -y -f lavfi -i testsrc2=size=1280x720:rate=30 -t 60 \
    -c:v libx264 -preset ultrafast -g 60 -pix_fmt yuv420p "$FILM"

# The band above the bottom edge of the window's client area where the preview shows.
band() {  # NAME X Y W H: the client area's geometry
    import -window root -crop "${4}x240+${2}+$(($3 + $5 - 24 - 240))" "$WORK/$1.png"
}

# hover NAME FRACTION X Y W H: the pointer on the seek bar at FRACTION of it;
# checks that the band above the bar changed, and keeps a screenshot.
hover() {
    local name=$1 fraction=$2 x=$3 y=$4 w=$5 h=$6
    # The seek bar lies between the three buttons on the left and the length and volume on the right.
    local left=$((x + 86)) right=$((x + w - 156))
    local at=$(awk -v l=$left -v r=$right -v f="$fraction" 'BEGIN { printf "%d", l + f * (r - l) }')
    xdotool mousemove "$at" $((y + h - 12))
    sleep 0.1
    xdotool mousemove $((at + 1)) $((y + h - 12))
    local changed=0
    for _ in $(seq 30); do
        sleep 0.1
        band "$name-band" "$x" "$y" "$w" "$h"
        changed=$(changed_pixels "$WORK/rest-band.png" "$WORK/$name-band.png")
        [ "$changed" -gt 8000 ] && break
    done
    screenshot "preview-$name"
    [ "$changed" -gt 8000 ] || fail "$name: no preview above the bar ($changed pixels changed)"
    echo "$name: preview shown ($changed pixels)"
}

# rest X Y W H: the pointer away from the bar; the band as it is without a preview.
rest() {
    xdotool mousemove $(($1 + $3 / 2)) $(($2 + 40))
    sleep 0.5
    band rest-band "$@"
}

# sweep KIND X Y W H: start, middle and end, then the pointer away takes it off.
sweep() {
    local kind=$1
    shift
    rest "$@"
    hover "$kind-start" 0.02 "$@"
    hover "$kind-middle" 0.5 "$@"
    hover "$kind-end" 0.98 "$@"
    rest_again "$@"
}
rest_again() {
    xdotool mousemove $(($1 + $3 / 2)) $(($2 + 40))
    sleep 0.5
    band gone-band "$@"
    local left
    left=$(changed_pixels "$WORK/rest-band.png" "$WORK/gone-band.png")
    [ "$left" -lt 2000 ] || fail "the preview stayed after the pointer left the bar ($left pixels)"
}

start_x 1024x768
start_zelvo "$FILM"
main=$(wait_window "Zadudu Divir Edever")
wait_slot 0 "$FILM"
sleep 0.5
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key space
sleep 0.5
read -r x y w h <<<"$(geometry "$main")"
echo "window ${w}x$h at $x,$y"
sweep film-quarter "$x" "$y" "$w" "$h"

# full KIND: the same in full screen, where the panels come up with the pointer at the bottom edge.
full() {
    xdotool key f
    sleep 1.5
    read -r x y w h <<<"$(geometry "$main")"
    xdotool mousemove $((x + w / 2)) $((y + h - 2))
    sleep 0.5
    band rest-band "$x" "$y" "$w" "$h"
    hover "$1-full-start" 0.02 "$x" "$y" "$w" "$h"
    hover "$1-full-middle" 0.5 "$x" "$y" "$w" "$h"
    hover "$1-full-end" 0.98 "$x" "$y" "$w" "$h"
    xdotool mousemove $((x + w / 2)) $((y + h / 2))
    xdotool key Escape
    sleep 1.5
}
full film

# The Video CD's first track, read from the disc image.
xdotool key v
wait_slot 1 'D:\\mpegav\\avseq01.dat'
sleep 1.5
xdotool key space
sleep 0.5
read -r x y w h <<<"$(geometry "$main")"
sweep vcd-quarter "$x" "$y" "$w" "$h"
full vcd
