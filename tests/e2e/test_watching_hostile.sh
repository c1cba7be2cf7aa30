#!/usr/bin/env bash
# A hand-edited positions section of 10,000 entries (text, negatives, huge
# figures) and a folder of 5,000 films: the player starts without a word,
# steps to the next file and opens Help, About at once.
source "$(dirname "$0")/lib.sh"

DIR=$WORK_ROOT/many
if [ ! -s "$DIR/Ep 2.mkv" ]; then
    mkdir -p "$DIR"
    ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc=size=320x240:rate=25" -t 4 -c:v mpeg4 "$DIR/Ep 1.mkv"
    cp "$DIR/Ep 1.mkv" "$DIR/Ep 2.mkv"
    (cd "$DIR" && for n in $(seq 3 5000); do : >"Ep $n.mkv"; done)
fi
INI="$XDG_CONFIG_HOME/Quorvel Movie.ini"
{
    printf '[Recent%%20Files]\n0=/films/kept.mpg\n1=\n2=\n3=\n4=\n\n[Resume%%20Positions]\n'
    for i in $(seq 0 9999); do
        case $((i % 4)) in
        0) echo "$i=never" ;;
        1) echo "$i=-30|1|2|$DIR/Ep 1.mkv" ;;
        2) echo "$i=1e308|1|2|$DIR/Ep 1.mkv" ;;
        3) echo "$i=99999999999999999999999999|x|y|" ;;
        esac
    done
} >"$INI"
section() { awk -v s="[$1]" '/^\[/{on = ($0 == s)} on' "$INI"; }

start_x 1024x768
start_zelvo "$DIR/Ep 1.mkv"
main=$(wait_window "Zadudu Divir Edever")
wait_slot 1 "$DIR/Ep 1.mkv"
xdotool windowactivate --sync "$main" 2>/dev/null || true
start=$(date +%s%N)
xdotool key greater
xdotool key --clearmodifiers alt+h
wait_popup "$main" >/dev/null
xdotool key a
wait_window "About MyApp" 5 >/dev/null
echo "Help, About open $(( ($(date +%s%N) - start) / 1000000 )) ms after >, the folder of 5,000 read meanwhile"
xdotool key Return
wait_no_window "About MyApp"
wait_slot 2 "$DIR/Ep 2.mkv"
echo "> opened Ep 2 from a folder of $(ls "$DIR" | wc -l) files"
screenshot hostile
close_zelvo "$ZELVO_PID" || fail "the player did not close"
sed -n '1,20p' "$WORK/zelvo.log" | grep -v '^mpv:' || true
grep -q "cannot" "$WORK/zelvo.log" && fail "a failure was reported: $(cat "$WORK/zelvo.log")"
echo "recent after:  $(section 'Recent%20Files' | tr '\n' ' ')"
[ "$(ini_value 0)" = /films/kept.mpg ] || fail "the recent list lost its entry"
echo "PASS"
