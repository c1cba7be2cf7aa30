#!/usr/bin/env bash
# The player on a session bus of the test's own, driven by playerctl as media
# keys and desktop widgets drive it: it is listed, its status follows play and
# pause, its metadata name the clip, a position request moves playback there,
# and Next and Previous step a Video CD as Enter and Backspace do.
source "$(dirname "$0")/lib.sh"

VCD=$WORK_ROOT/vcd
bash "$E2E_DIR/../media/make_vcd.sh" "$VCD"
export ZELVO_DRIVES="D=$VCD/video.cue"
CLIP=$WORK_ROOT/long-320.mpg
long_clip "$CLIP" 320x240

start_x 1024x768
start_bus
# The player prints each new text of its position display ("display: 0:00:03.0").
export ZELVO_TRACE_DISPLAY=1
pc() { playerctl -p zelvo "$@"; }
# expect_eq WHAT EXPECTED COMMAND...: the command comes to print EXPECTED within 10 s.
expect_eq() {
    local what=$1 want=$2 got=""
    shift 2
    for _ in $(seq 100); do
        got=$("$@" 2>/dev/null || true)
        [ "$got" = "$want" ] && { echo "$what: $got"; return 0; }
        sleep 0.1
    done
    fail "$what is '$got', expected '$want'"
}

start_zelvo "$CLIP"
main=$(wait_window "Zadudu Divir Edever")
expect_eq "playerctl -l" zelvo playerctl -l
expect_eq status Playing pc status
dbus-monitor --session "type='signal',interface='org.mpris.MediaPlayer2.Player',member='Seeked'" \
    >"$WORK/seeked.log" 2>&1 &
_pids+=($!)
dbus-monitor --session "type='signal',interface='org.freedesktop.DBus.Properties',member='PropertiesChanged'" \
    >"$WORK/changes.log" 2>&1 &
_pids+=($!)
sleep 0.5
pc play-pause
expect_eq "status after play-pause" Paused pc status
# Widgets that only listen learn it too.
wait_for 10 grep -q 'string "Paused"' "$WORK/changes.log" || fail "no PropertiesChanged for the pause"
pc play-pause
expect_eq "status after a second play-pause" Playing pc status
pc pause

expect_eq title long-320.mpg pc metadata xesam:title
expect_eq url "file://$CLIP" pc metadata xesam:url
length=$(pc metadata mpris:length)
echo "length: $length µs"
[ "$length" -ge 19900000 ] && [ "$length" -le 20100000 ] || fail "length $length is not the clip's 20 s"

# Paused at 3 s: the position display shows 0:00:03.0, the bus the same position.
# display_since LINE: what the display reads in the log after that line; empty if it has not changed.
display_since() { tail -n +"$(($1 + 1))" "$WORK/zelvo.log" | sed -n 's/^display: //p' | tail -n1; }
mark=$(wc -l <"$WORK/zelvo.log")
pc position 3
expect_eq position 3.000000 pc position
wait_for 10 grep -q 'int64 3000000' "$WORK/seeked.log" || fail "no Seeked signal: $(cat "$WORK/seeked.log")"
echo "Seeked: $(grep -o 'int64 [0-9]*' "$WORK/seeked.log" | tail -n1)"
expect_eq "position display" 0:00:03.0 display_since "$mark"

# A second player takes a name of its own.
start_zelvo
second=$ZELVO_PID
expect_eq "second player" "zelvo.instance$second" bash -c "playerctl -l | grep -x 'zelvo.instance$second'"
kill "$second"

# Video CD: V plays track 1; Next plays track 2 and lists it as Enter would; Previous goes back.
busctl_get() {
    gdbus call --session --dest org.mpris.MediaPlayer2.zelvo --object-path /org/mpris/MediaPlayer2 \
        --method org.freedesktop.DBus.Properties.Get org.mpris.MediaPlayer2.Player "$1"
}
# A file steps on through its folder.
expect_eq CanGoNext "(<true>,)" busctl_get CanGoNext
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key v
wait_slot 1 'D:\\mpegav\\avseq01.dat'
expect_eq title "Video CD track 1" pc metadata xesam:title
expect_eq CanGoNext "(<true>,)" busctl_get CanGoNext
expect_eq CanGoPrevious "(<false>,)" busctl_get CanGoPrevious
pc next
wait_slot 2 'D:\\mpegav\\avseq02.dat'
expect_eq "title after next" "Video CD track 2" pc metadata xesam:title
expect_eq "status after next" Playing pc status
expect_eq CanGoPrevious "(<true>,)" busctl_get CanGoPrevious
screenshot vcd-track2
track2=$(pc metadata mpris:trackid)
pc previous
expect_eq "title after previous" "Video CD track 1" pc metadata xesam:title
# Track 1 keeps its slot; nothing else was added. The list is written, if at
# all, as the track finishes opening, before the player answers again: once
# it has a new track that can play, the file holds what it will hold.
wait_for 10 bash -c "[ \"\$(playerctl -p zelvo metadata mpris:trackid)\" != '$track2' ]" ||
    fail "Previous did not open another track"
expect_eq "CanPlay after previous" "(<true>,)" busctl_get CanPlay
wait_slot 1 'D:\\mpegav\\avseq01.dat'
wait_slot 3 ''

# Quit closes the window as its close button does.
gdbus call --session --dest org.mpris.MediaPlayer2.zelvo --object-path /org/mpris/MediaPlayer2 \
    --method org.mpris.MediaPlayer2.Quit >/dev/null
wait_for 10 bash -c "! kill -0 $ZELVO_PID" || fail "Quit did not close the player"
expect_eq "players after quit" "" playerctl -l
echo "PASS"
