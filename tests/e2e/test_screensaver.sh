#!/usr/bin/env bash
# The screen stays on exactly while a picture plays, and is let go on every
# way out: pause (from the bus and from the transport bar), stop, the end of
# the media, quitting and being killed. With a desktop screen-saver service on
# the bus it is asked (a stand-in that logs its calls); without one the X
# server's own screen saver is suspended. No session bus at all: the player
# plays as ever and prints nothing.
source "$(dirname "$0")/lib.sh"

SAVER=${ZELVO_FAKE_SCREENSAVER:-$(dirname "$ZELVO")/tests/fake_screensaver}
[ -x "$SAVER" ] || fail "no stand-in screen-saver service at $SAVER"
make_media
CLIP=$WORK_ROOT/long-320.mpg
long_clip "$CLIP" 320x240

start_x 1024x768
pc() { playerctl -p zelvo "$@"; }
quit_zelvo() {
    gdbus call --session --dest org.mpris.MediaPlayer2.zelvo --object-path /org/mpris/MediaPlayer2 \
        --method org.mpris.MediaPlayer2.Quit >/dev/null
    wait_for 10 bash -c "! kill -0 $ZELVO_PID" || fail "Quit did not close the player"
}
kill_zelvo() { { kill -9 "$ZELVO_PID" && wait "$ZELVO_PID"; } 2>/dev/null || true; }
# calls: the stand-in's log without its first line.
calls() { tail -n +2 "$WORK/saver.log" | tr '\n' ';'; }
# expect_calls EXPECTED: the stand-in has logged exactly these calls, within 10 s.
expect_calls() {
    wait_for 10 bash -c "[ \"\$(tail -n +2 '$WORK/saver.log' | tr '\n' ';')\" = '$1' ]" ||
        fail "screen-saver calls: '$(calls)', expected '$1'"
    echo "calls: $1"
}

# --- A desktop's service owns org.freedesktop.ScreenSaver.
start_bus
"$SAVER" >"$WORK/saver.log" 2>&1 &
SAVER_PID=$!
_pids+=($SAVER_PID)
wait_for 10 grep -q ready "$WORK/saver.log" || fail "the stand-in did not start: $(cat "$WORK/saver.log")"

start_zelvo "$CLIP"
main=$(wait_window "Zadudu Divir Edever")
wait_for 10 bash -c "[ \"\$(playerctl -p zelvo status)\" = Playing ]" || fail "not playing"
I='Inhibit %s "zelvo" "Playing a film";'
expect_calls "$(printf "$I" 1)"
pc pause
expect_calls "$(printf "$I" 1)UnInhibit 1;"
pc play
pc stop
expect_calls "$(printf "$I" 1)UnInhibit 1;$(printf "$I" 2)UnInhibit 2;"
pc play
expect_calls "$(printf "$I" 1)UnInhibit 1;$(printf "$I" 2)UnInhibit 2;$(printf "$I" 3)"
quit_zelvo
expect_calls "$(printf "$I" 1)UnInhibit 1;$(printf "$I" 2)UnInhibit 2;$(printf "$I" 3)UnInhibit 3;"

# The end of the media lets go; sound alone never holds the screen; a kill leaves nothing behind.
start_zelvo "$MEDIA/clip.mpg"
expect_calls "$(printf "$I" 1)UnInhibit 1;$(printf "$I" 2)UnInhibit 2;$(printf "$I" 3)UnInhibit 3;$(printf "$I" 4)"
wait_for 15 bash -c "[ \"\$(playerctl -p zelvo status)\" = Stopped ]" || fail "the clip did not end"
expect_calls "$(printf "$I" 1)UnInhibit 1;$(printf "$I" 2)UnInhibit 2;$(printf "$I" 3)UnInhibit 3;$(printf "$I" 4)UnInhibit 4;"
before="$(calls)"
gdbus call --session --dest org.mpris.MediaPlayer2.zelvo --object-path /org/mpris/MediaPlayer2 \
    --method org.mpris.MediaPlayer2.Player.OpenUri "file://$MEDIA/clip.mp3" >/dev/null
wait_for 10 bash -c "playerctl -p zelvo metadata xesam:title | grep -qx clip.mp3" || fail "the sound did not open"
wait_for 10 bash -c "[ \"\$(playerctl -p zelvo status)\" = Playing ]" || fail "the sound is not playing"
sleep 1
[ "$(calls)" = "$before" ] || fail "sound only inhibited the screen saver: $(calls)"
echo "sound only: no calls"
gdbus call --session --dest org.mpris.MediaPlayer2.zelvo --object-path /org/mpris/MediaPlayer2 \
    --method org.mpris.MediaPlayer2.Player.OpenUri "file://$CLIP" >/dev/null
expect_calls "${before}$(printf "$I" 5)"
kill_zelvo
expect_calls "${before}$(printf "$I" 5)Gone 5;"

# --- A bus without such a service: the X server's screen saver, blanking after 2 s idle.
kill "$SAVER_PID"
xset s 2 0
# saver_after_idle: the X screen saver's state once the server has been idle 3 s.
saver_after_idle() { sleep 3.2; xssstate -s; }
start_zelvo "$CLIP"
main=$(wait_window "Zadudu Divir Edever")
wait_for 10 bash -c "[ \"\$(playerctl -p zelvo status)\" = Playing ]" || fail "not playing"
state=$(saver_after_idle)
echo "X screen saver while playing: $state"
[ "$state" = off ] || fail "the X screen saver is $state while the picture plays"
# Pause from the transport bar: the bus follows, and the screen saver is back.
read -r x y w h <<<"$(geometry "$main")"
xdotool mousemove $((x + 40)) $((y + h - 17)) click 1
wait_for 10 bash -c "[ \"\$(playerctl -p zelvo status)\" = Paused ]" || fail "status after the pause button: $(pc status)"
echo "status after the transport bar's pause button: Paused"
xdotool mousemove 0 0
state=$(saver_after_idle)
echo "X screen saver when paused: $state"
[ "$state" = on ] || fail "the X screen saver is $state after pause"
xdotool mousemove $((x + 14)) $((y + h - 17)) click 1
wait_for 10 bash -c "[ \"\$(playerctl -p zelvo status)\" = Playing ]" || fail "status after the play button: $(pc status)"
xdotool mousemove 0 0
state=$(saver_after_idle)
[ "$state" = off ] || fail "the X screen saver is $state while playing again"
kill_zelvo
state=$(saver_after_idle)
echo "X screen saver after a kill: $state"
[ "$state" = on ] || fail "the X screen saver is $state after the player was killed"

# --- No session bus: plays as ever, says nothing, and still keeps the X screen saver off.
unset DBUS_SESSION_BUS_ADDRESS
# Input wakes the screen the kill above let blank.
xdotool mousemove 10 10 mousemove 0 0
"$ZELVO" "$CLIP" >"$WORK/quiet.log" 2>&1 &
ZELVO_PID=$!
_pids+=($ZELVO_PID)
main=$(wait_window "Zadudu Divir Edever")
check_playing "$main"
state=$(saver_after_idle)
[ "$state" = off ] || fail "without a bus the X screen saver is $state while playing"
[ ! -s "$WORK/quiet.log" ] || fail "the player printed without a bus: $(cat "$WORK/quiet.log")"
echo "no session bus: plays, X screen saver off, nothing printed"
echo "PASS"
