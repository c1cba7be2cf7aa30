#!/usr/bin/env bash
# The arguments are one path, joined by single blanks: `zelvo my film.mpg`,
# typed without quotes in the folder of "my film.mpg", plays that file and
# records it as the absolute path of that file, so that it plays from any folder.
source "$(dirname "$0")/lib.sh"

ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc=size=352x288:rate=25" -t 20 \
    -c:v mpeg1video -b:v 1000k -f mpeg "$WORK/my film.mpg"
start_x 1024x768
cd "$WORK"
start_zelvo my film.mpg
wid=$(wait_window "Zadudu Divir Edever")
wait_slot 0 "$WORK/my film.mpg"
sleep 0.5
read -r x y w h <<<"$(geometry "$wid")"
[ $((w - 469)) -le 1 ] && [ $((469 - w)) -le 1 ] || fail "client width $w, expected 469"
screenshot startup-args
not_black "$WORK/startup-args.png"
# Playing: the picture below the menu bar changes from one moment to the next.
check_playing "$wid"
xdotool search --onlyvisible --name '^zelvo$' >/dev/null 2>&1 && fail "a message box came up"
kill -0 "$ZELVO_PID" || fail "zelvo exited"
echo "ok"
