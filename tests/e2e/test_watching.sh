#!/usr/bin/env bash
# Watching a film: the volume shown on the picture (a quarter-screen window and
# full screen), the place a film was left offered after Alt+F4 and reached with
# r, the recent-files section left byte for byte, a screenshot saved, the next
# file of a folder in natural order by key and by MPRIS, and speed with Rate.
source "$(dirname "$0")/lib.sh"

FILM=$WORK_ROOT/film-120.mpg
[ -s "$FILM" ] || ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc=size=640x360:rate=25" -t 120 \
    -c:v mpeg1video -b:v 600k -f mpeg "$FILM"
EPS=$WORK_ROOT/episodes
if [ ! -s "$EPS/Ep 10.mkv" ]; then
    mkdir -p "$EPS"
    ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc=size=320x240:rate=25" -t 4 -c:v mpeg4 "$EPS/ep.mkv"
    for n in 1 2 10; do cp "$EPS/ep.mkv" "$EPS/Ep $n.mkv"; done
    rm "$EPS/ep.mkv"
fi
INI="$XDG_CONFIG_HOME/Quorvel Movie.ini"
SHOTS=${ZELVO_SHOTS:-$WORK}

start_x 1024x768
start_bus
pc() { playerctl -p zelvo "$@"; }
player_get() {
    gdbus call --session --dest org.mpris.MediaPlayer2.zelvo --object-path /org/mpris/MediaPlayer2 \
        --method org.freedesktop.DBus.Properties.Get org.mpris.MediaPlayer2.Player "$1"
}
# section NAME: that section of the settings file, as it stands.
section() { awk -v s="[$1]" '/^\[/{on = ($0 == s)} on' "$INI"; }
position() { pc position 2>/dev/null | cut -d. -f1; }
shot() { import -window root "$SHOTS/$1.png"; echo "screenshot: $SHOTS/$1.png"; }

start_zelvo "$FILM"
main=$(wait_window "Zadudu Divir Edever")
wait_for 20 bash -c "[ \"\$(playerctl -p zelvo status)\" = Playing ]" || fail "the film does not play"
xdotool windowactivate --sync "$main" 2>/dev/null || true
# Nothing on the picture at start-up.
shot start-up
xdotool key 9
# The message is drawn with the next frame.
sleep 0.3
shot volume-quarter
xdotool key f
wait_full_screen "$main" on
xdotool key 9
sleep 0.3
shot volume-full
xdotool key Escape
wait_full_screen "$main" off

# Left at 0:01:00 and closed with Alt+F4.
pc pause
pc position 60
wait_for 10 bash -c "[ \"\$(playerctl -p zelvo position | cut -d. -f1)\" = 60 ]" || fail "no seek to 60"
section 'Recent%20Files' >"$WORK/recent-before.txt"
close_zelvo "$ZELVO_PID" || fail "the player did not close"
grep -q '^0=60\.[0-9]*|[0-9]*|[0-9]*|'"$FILM"'$' <(section 'Resume%20Positions') ||
    fail "no place kept: $(section 'Resume%20Positions')"
echo "kept: $(section 'Resume%20Positions' | tail -n +2)"

# Started again: from the beginning, with the offer; r goes there.
start_zelvo "$FILM"
main=$(wait_window "Zadudu Divir Edever")
wait_for 20 bash -c "[ \"\$(playerctl -p zelvo status)\" = Playing ]" || fail "the film does not play again"
sleep 1
shot resume-offer
[ "$(position)" -lt 5 ] || fail "it did not start from the beginning: $(position)"
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key r
wait_for 10 bash -c "p=\$(playerctl -p zelvo position | cut -d. -f1); [ \"\$p\" -ge 60 ] && [ \"\$p\" -le 63 ]" ||
    fail "r did not go to 0:01:00: $(position)"
pc pause
read -r x y w h <<<"$(geometry "$main")"
import -window root -crop "${w}x60+$x+$((y + h - 60))" "$SHOTS/resume-position.png"
echo "position after r: $(pc position)"
section 'Recent%20Files' >"$WORK/recent-after.txt"
cmp "$WORK/recent-before.txt" "$WORK/recent-after.txt" || fail "[Recent Files] changed"
echo "[Recent Files] identical before and after"

# A screenshot into ~/Pictures (no user-dirs.dirs here).
xdotool key s
wait_for 10 bash -c "ls '$HOME/Pictures/'*.png" || fail "no screenshot saved"
PNG=$(ls "$HOME/Pictures/"*.png | head -n1)
shot screenshot-message
echo "saved: $PNG $(stat -c %s "$PNG") bytes, $(identify -format '%wx%h %m' "$PNG")"

# Speed ] twice: 1.21, and the position runs that much faster.
pc play
xdotool key bracketright bracketright
rate_is() { player_get Rate | grep -q "<$1"; }
wait_for 10 rate_is 1.21 || fail "Rate is $(player_get Rate)"
echo "Rate: $(player_get Rate)"
p0=$(pc position); sleep 3; p1=$(pc position)
rate=$(awk -v a="$p0" -v b="$p1" 'BEGIN { printf "%.2f", (b - a) / 3 }')
echo "position advanced $rate s a second"
awk -v r="$rate" 'BEGIN { exit !(r > 1.05 && r < 1.4) }' || fail "position advanced $rate s a second at speed 1.21"
xdotool key backslash

# The folder: from Ep 2, > opens Ep 10 and records it; MPRIS Previous and Next step the same way.
pc open "file://$EPS/Ep%202.mkv"
wait_for 20 bash -c "[ \"\$(playerctl -p zelvo metadata xesam:title)\" = 'Ep 2.mkv' ]" || fail "Ep 2 did not open"
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key greater
wait_for 20 bash -c "[ \"\$(playerctl -p zelvo metadata xesam:title)\" = 'Ep 10.mkv' ]" || fail "> did not open Ep 10"
wait_slot 2 "$EPS/Ep 10.mkv"
echo "> from Ep 2 opened Ep 10, recorded in slot 2"
xdotool key greater
sleep 0.3
shot last-file
pc previous
wait_for 20 bash -c "[ \"\$(playerctl -p zelvo metadata xesam:title)\" = 'Ep 2.mkv' ]" || fail "Previous did not open Ep 2"
pc previous
wait_for 20 bash -c "[ \"\$(playerctl -p zelvo metadata xesam:title)\" = 'Ep 1.mkv' ]" || fail "Previous did not open Ep 1"
pc next
wait_for 20 bash -c "[ \"\$(playerctl -p zelvo metadata xesam:title)\" = 'Ep 2.mkv' ]" || fail "Next did not open Ep 2"
echo "playerctl previous/next: Ep 2 -> Ep 1 -> Ep 2"

# Resume Automatically: the film, left past a minute when Ep 2 replaced it, starts there.
close_zelvo "$ZELVO_PID" || fail "the player did not close"
kept=$(section 'Resume%20Positions' | grep -F "|$FILM" | cut -d= -f2 | cut -d'|' -f1)
printf '\n[Preferences]\nResumeAutomatically=1\n' >>"$INI"
start_zelvo "$FILM"
main=$(wait_window "Zadudu Divir Edever")
wait_for 20 bash -c "[ \"\$(playerctl -p zelvo status)\" = Playing ]" || fail "the film does not play"
first=$(position)
shot resume-automatic
echo "kept at $kept; started at $(pc position)"
[ "$first" -ge 60 ] || fail "Resume Automatically started at $first, not at ${kept%.*}"
echo "PASS"
