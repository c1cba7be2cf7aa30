#!/usr/bin/env bash
# Volume, mute, full screen, tracks and playback keys as a user meets them, on
# a 12 s clip with two audio tracks and a subtitle file beside it. What mpv
# itself reports is read from the program's engine trace (ZELVO_TRACE_ENGINE).
source "$(dirname "$0")/lib.sh"

make_media
cp "$MEDIA/tracks.mkv" "$MEDIA/tracks.srt" "$WORK/"
CLIP=$WORK/tracks.mkv
INI="$XDG_CONFIG_HOME/Quorvel Movie.ini"
export ZELVO_TRACE_ENGINE=1

# engine NAME: the last value mpv reported for that property in this run.
engine() { sed -n "/^--- zelvo/h; /^--- zelvo/!H; \${x;p}" "$WORK/zelvo.log" | awk -v n="$1" '$1=="engine:" && $2==n {v=$3} END{print v}'; }
# wait_engine NAME VALUE
wait_engine() {
    for _ in $(seq 100); do [ "$(engine "$1")" = "$2" ] && return 0; sleep 0.1; done
    fail "mpv's $1 is '$(engine "$1")', expected '$2'"
}
# section NAME: the lines of one section of the settings file.
section() { awk -v s="[$1]" '/^\[/{on = ($0 == s)} on' "$INI"; }

# count_replacements SECONDS OUT: counts, in the background, the times the
# settings file is written or renamed into place.
count_replacements() {
    python3 - "$XDG_CONFIG_HOME" "$1" >"$2" <<'PY' &
import ctypes, os, select, struct, sys, time
folder, seconds = sys.argv[1], float(sys.argv[2])
libc = ctypes.CDLL("libc.so.6", use_errno=True)
fd = libc.inotify_init1(os.O_NONBLOCK)
IN_CLOSE_WRITE, IN_MOVED_TO = 0x8, 0x80
libc.inotify_add_watch(fd, folder.encode(), IN_CLOSE_WRITE | IN_MOVED_TO)
count, end = 0, time.monotonic() + seconds
while time.monotonic() < end:
    if not select.select([fd], [], [], 0.05)[0]:
        continue
    data = os.read(fd, 65536)
    at = 0
    while at < len(data):
        _, mask, _, size = struct.unpack_from("iIII", data, at)
        name = data[at + 16:at + 16 + size].rstrip(b"\0").decode()
        at += 16 + size
        if name == "Quorvel Movie.ini":
            count += 1
print(count)
PY
    COUNTER=$!
    _pids+=($COUNTER)
    sleep 0.3
}

# crop ID NAME X Y W H: a part of the window's client area, saved as NAME.png.
crop() {
    local x y w h
    read -r x y w h <<<"$(geometry "$1")"
    import -window root -crop "${5}x${6}+$((x + $3))+$((y + $4))" "$WORK/$2.png"
}

start_x 1280x720
start_zelvo "$CLIP"
main=$(wait_window "Zadudu Divir Edever")
wait_slot 0 "$CLIP"
wait_engine sid 1
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key space
wait_engine pause yes
read -r x y w h <<<"$(geometry "$main")"
echo "window ${w}x$h at $x,$y"
recent_before=$(section "Recent%20Files")

# --- Volume: 50 wheel steps over the picture in a second, one write.
crop "$main" slider-100 $((w - 80)) $((h - 24)) 80 24
count_replacements 4 "$WORK/writes"
xdotool mousemove $((x + w / 2)) $((y + 120))
xdotool click --repeat 50 --delay 20 5
wait_engine volume 0
wait "$COUNTER"
writes=$(cat "$WORK/writes")
echo "settings file replacements for 50 wheel steps: $writes"
[ "$writes" -eq 1 ] || fail "50 wheel steps wrote the settings file $writes times"
[ "$(section Volume)" = $'[Volume]\nLevel=0' ] || fail "volume section: $(section Volume)"
crop "$main" slider-0 $((w - 80)) $((h - 24)) 80 24
[ "$(changed_pixels "$WORK/slider-100.png" "$WORK/slider-0.png")" -gt 20 ] || fail "the slider did not move"
xdotool click --repeat 4 --delay 30 4
wait_engine volume 20
xdotool key 9
wait_engine volume 15
xdotool key m
wait_engine mute yes
xdotool key m
wait_engine mute no
xdotool key m
wait_engine mute yes
crop "$main" slider-15-muted $((w - 80)) $((h - 24)) 80 24
sleep 1
[ "$(section Volume)" = $'[Volume]\nLevel=15\nMute=1' ] || fail "volume section: $(section Volume)"
[ "$(section "Recent%20Files")" = "$recent_before" ] || fail "the recent-files section changed"
echo "volume: wheel to 0, wheel up 4 to 20, 9 to 15, m m m muted; recent-files section unchanged"

# --- Tracks: the picture's menu lists both audio tracks and the subtitle.
wait_engine aid 1
# Five seconds in, still paused: the picture with its subtitle.
xdotool key Right
sleep 1
crop "$main" subtitle-on 0 $((h - 166)) "$w" 120
xdotool mousemove $((x + w / 2)) $((y + 120)) click 3
menu=$(wait_popup "$main")
sleep 0.3
screenshot track-menu
# Down, Down: the second audio track.
xdotool key Down Down Return
wait_engine aid 2
echo "audio track 2 chosen from the menu: mpv plays aid 2"
xdotool mousemove $((x + w / 2)) $((y + 120)) click 3
wait_popup "$main" >/dev/null
sleep 0.3
# Down x3: past both audio tracks to the subtitles' Off.
xdotool key Down Down Down Return
wait_engine sid no
sleep 0.5
crop "$main" subtitle-off 0 $((h - 166)) "$w" 120
changed=$(changed_pixels "$WORK/subtitle-on.png" "$WORK/subtitle-off.png")
echo "subtitle Off: $changed pixels of the lower picture changed"
[ "$changed" -gt 300 ] || fail "turning the subtitle off changed nothing on screen"
xdotool key j
wait_engine sid 1
xdotool key numbersign
wait_engine aid no

# --- Keys on the position display, in frames: '.' then ',' comes back to the same frame.
# Setting, Display Frames: the fourth item (it shares its access key with another).
xdotool key --clearmodifiers alt+s
wait_popup "$main" >/dev/null
xdotool key Down Down Down Return
sleep 0.5
display_y=$((h - 46))
crop "$main" frame-a 0 $display_y 120 20
xdotool key period
sleep 0.8
crop "$main" frame-b 0 $display_y 120 20
xdotool key comma
sleep 0.8
crop "$main" frame-c 0 $display_y 120 20
[ "$(changed_pixels "$WORK/frame-a.png" "$WORK/frame-b.png")" -gt 0 ] || fail "'.' did not change the frame"
[ "$(changed_pixels "$WORK/frame-a.png" "$WORK/frame-c.png")" -eq 0 ] || fail "',' did not come back"
xdotool key Right
sleep 0.8
crop "$main" frame-right 0 $display_y 120 20
xdotool key Left
sleep 0.8
crop "$main" frame-left 0 $display_y 120 20
[ "$(changed_pixels "$WORK/frame-a.png" "$WORK/frame-right.png")" -gt 0 ] || fail "Right did not seek"
[ "$(changed_pixels "$WORK/frame-a.png" "$WORK/frame-left.png")" -eq 0 ] || fail "Left did not come back"
xdotool key space
wait_engine pause no
xdotool key space
wait_engine pause yes
echo "keys: '.' ',' Right Left Space act on the position display"

# --- Full screen by double click; Esc gives the window back as it was.
before=$(frame_geometry "$main")
xdotool mousemove $((x + w / 2)) $((y + 120)) click --repeat 2 --delay 80 1
wait_full_screen "$main" on "double click: not full screen"
sleep 1
[ "$(geometry "$main")" = "0 0 1280 720" ] || fail "full screen window at $(geometry "$main")"
screenshot fullscreen-doubleclick
# A 4:3 picture on a 16:9 screen: black bars left and right, the picture between.
convert "$WORK/fullscreen-doubleclick.png" -crop 100x400+0+100 -format '%[fx:maxima]' info: | grep -qx 0 ||
    fail "no black bar at the left in full screen"
not_black "$WORK/fullscreen-doubleclick.png"
# The pointer at the bottom brings the panels up over the picture.
xdotool mousemove 640 715
sleep 0.5
screenshot fullscreen-panels
xdotool key Escape
wait_full_screen "$main" off
sleep 1
after=$(frame_geometry "$main")
echo "window before full screen: $before; after Esc: $after"
[ "$after" = "$before" ] || fail "Esc did not give the window back as it was"
check_centred "$main" 1280 720
screenshot after-fullscreen

# --- F11 toggles it too.
xdotool key F11
wait_full_screen "$main" on "F11: not full screen"
sleep 0.5
screenshot fullscreen-f11
xdotool key F11
wait_full_screen "$main" off
sleep 1
[ "$(frame_geometry "$main")" = "$before" ] || fail "F11 did not give the window back as it was"
[ "$(section "Recent%20Files")" = "$recent_before" ] || fail "full screen changed the recent-files list"
# One file loaded in this run: neither the tracks nor full screen opened it again.
loads=$(grep -c '^engine: loaded' "$WORK/zelvo.log")
[ "$loads" -eq 1 ] || fail "the media was loaded $loads times"
echo "full screen: double click and F11 in, Esc and F11 out, window back at $after"

# --- The next run starts at the remembered volume, muted.
xdotool key --clearmodifiers alt+F4
wait "$ZELVO_PID" 2>/dev/null || true
start_zelvo "$CLIP"
main=$(wait_window "Zadudu Divir Edever")
wait_engine volume 15
wait_engine mute yes
sleep 0.5
read -r x y w h <<<"$(geometry "$main")"
crop "$main" slider-restart $((w - 80)) $((h - 24)) 80 24
[ "$(changed_pixels "$WORK/slider-15-muted.png" "$WORK/slider-restart.png")" -eq 0 ] ||
    fail "the slider after a restart differs from the one before"
echo "restart: mpv's volume 15, muted; the slider as it was left"
echo "PASS"
