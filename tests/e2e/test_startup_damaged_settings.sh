#!/usr/bin/env bash
# A damaged settings file: the clip asked for on the command line plays, one
# message naming the file comes up over the player window, ten opens over the
# bus later there is still only that one, and the file is left as it was.
source "$(dirname "$0")/lib.sh"

make_media
film=$WORK/film.mpg
long_clip "$film" 352x288
ini="$XDG_CONFIG_HOME/Quorvel Movie.ini"
printf '[Recent%%20Files\n0=/films/a.mpg\n' >"$ini"
cp "$ini" "$WORK/damaged.ini"
start_x 1024x768
start_bus
start_zelvo "$film"
wid=$(wait_window "Zadudu Divir Edever")
box=$(wait_window "zelvo")
wait_for 20 bash -c '[ "$(playerctl -p zelvo status)" = Playing ]' || fail "the clip is not playing"
sleep 1
boxes() { xdotool search --all --onlyvisible --pid "$ZELVO_PID" --name '^zelvo$' | wc -l; }
[ "$(boxes)" -eq 1 ] || fail "$(boxes) message boxes"
# Over the window: the box's centre lies inside the window.
read -r x y w h <<<"$(geometry "$wid")"
read -r bx by bw bh <<<"$(geometry "$box")"
echo "window ${w}x$h at $x,$y; box ${bw}x$bh at $bx,$by"
near $((2 * bx + bw)) $((2 * x + w)) 4 && [ $((by + bh / 2)) -gt "$y" ] && [ $((by + bh / 2)) -lt $((y + h)) ] ||
    fail "the box is not over the window"
# Playing under the box: the position moves on.
first=$(playerctl -p zelvo position)
wait_for 10 bash -c "[ \"\$(playerctl -p zelvo position | cut -d. -f1)\" -gt ${first%.*} ]" || fail "the position stays at $first"
screenshot damaged-settings

for i in $(seq 10); do
    clip=$([ $((i % 2)) -eq 1 ] && echo "$MEDIA/clip.mpg" || echo "$film")
    gdbus call --session --dest org.mpris.MediaPlayer2.zelvo --object-path /org/mpris/MediaPlayer2 \
        --method org.mpris.MediaPlayer2.Player.OpenUri "file://$clip" >/dev/null
    wait_for 20 bash -c "[ \"\$(playerctl -p zelvo metadata xesam:url)\" = 'file://$clip' ]" || fail "open $i did not play"
done
[ "$(boxes)" -eq 1 ] || fail "$(boxes) message boxes after ten opens"
cmp -s "$ini" "$WORK/damaged.ini" || fail "the damaged file was written"
echo "ok"
