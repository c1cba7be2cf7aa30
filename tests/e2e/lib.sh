# Shared helpers for end-to-end tests: a private X server with openbox, the
# program under test, and what a user would see. Source it; it sets a trap.
#   $1 of the test script: the zelvo binary; $2: a work folder.
set -euo pipefail

ZELVO=${1:?usage: test_x.sh ZELVO_BINARY WORK_DIR}
WORK_ROOT=${2:?usage: test_x.sh ZELVO_BINARY WORK_DIR}
# Absolute, so tests may change the working folder.
ZELVO=$(realpath -e "$ZELVO")
mkdir -p "$WORK_ROOT"
WORK_ROOT=$(cd "$WORK_ROOT" && pwd)
E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
TEST_NAME=$(basename "$0" .sh)
WORK=$WORK_ROOT/$TEST_NAME
rm -rf "$WORK"
mkdir -p "$WORK/config" "$WORK/runtime"
chmod 700 "$WORK/runtime"
export XDG_CONFIG_HOME=$WORK/config
export XDG_RUNTIME_DIR=$WORK/runtime
export HOME=$WORK
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
# No desktop session bus reaches a test; one that needs a bus starts its own (start_bus).
unset DBUS_SESSION_BUS_ADDRESS
_pids=()
_zelvo_pids=()

# Stops what the test started: the player as a user ends it, by closing its
# windows, so that it exits normally and LeakSanitizer reports; the rest with
# a kill. A sanitizer report in the program's output, or a player that does
# not end when closed, fails the test even when every check passed.
cleanup() {
    local status=$? pid
    if [ -n "${DISPLAY:-}" ]; then
        for pid in "${_zelvo_pids[@]}"; do close_zelvo "$pid" || status=1; done
    fi
    for pid in "${_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    if [ -f "$WORK/zelvo.log" ] &&
        grep -q -e "ERROR: AddressSanitizer" -e "runtime error:" -e "ERROR: LeakSanitizer" "$WORK/zelvo.log"; then
        echo "FAIL: sanitizer report in $WORK/zelvo.log:" >&2
        cat "$WORK/zelvo.log" >&2
        [ "$status" -ne 0 ] || status=1
    fi
    exit "$status"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -n "${DISPLAY:-}" ] && import -window root "$WORK/failure.png" 2>/dev/null && echo "screenshot: $WORK/failure.png" >&2
    exit 1
}

# start_x [WIDTHxHEIGHT]: a private X server and openbox. Tried up to three
# times: with several servers coming and going on the machine, one may lose
# its display to another.
start_x() {
    local attempt
    for attempt in 1 2 3; do
        start_x_once "${1:-1024x768}" && return 0
        echo "X start attempt $attempt failed: $(cat "$WORK/xvfb.log" "$WORK/openbox.log" 2>/dev/null)" >&2
    done
    fail "Xvfb and openbox did not start"
}

start_x_once() {
    local size=$1 dfile=$WORK/display xvfb wm
    rm -f "$dfile"
    Xvfb -displayfd 9 -screen 0 "${size}x24" -nolisten tcp 9>"$dfile" >"$WORK/xvfb.log" 2>&1 &
    xvfb=$!
    _pids+=($xvfb)
    for _ in $(seq 600); do [ -s "$dfile" ] && break; kill -0 $xvfb 2>/dev/null || break; sleep 0.05; done
    [ -s "$dfile" ] || { kill $xvfb 2>/dev/null; return 1; }
    export DISPLAY=:$(head -n1 "$dfile")
    openbox --sm-disable >"$WORK/openbox.log" 2>&1 &
    wm=$!
    _pids+=($wm)
    # openbox ignores windows mapped while it starts: wait until it says it manages the screen.
    for _ in $(seq 600); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        kill -0 $wm 2>/dev/null || break
        sleep 0.05
    done
    if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
        kill $wm $xvfb 2>/dev/null
        return 1
    fi
    # It sets that before it has finished taking over the screen.
    sleep 0.5
}

# start_bus: a private session bus for this test, in DBUS_SESSION_BUS_ADDRESS.
start_bus() {
    local afile=$WORK/bus-address
    rm -f "$afile"
    dbus-daemon --session --nofork --nopidfile --print-address=9 9>"$afile" >"$WORK/dbus.log" 2>&1 &
    _pids+=($!)
    for _ in $(seq 200); do [ -s "$afile" ] && break; sleep 0.05; done
    [ -s "$afile" ] || fail "the session bus did not start: $(cat "$WORK/dbus.log")"
    export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$afile")
}

# wait_for SECONDS COMMAND...: runs the command until it succeeds.
wait_for() {
    local limit=$1
    shift
    for _ in $(seq $((limit * 10))); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
    return 1
}

# start_zelvo [args...]: starts the program; the output of every run is
# appended to $WORK/zelvo.log.
start_zelvo() {
    echo "--- zelvo $*" >>"$WORK/zelvo.log"
    "$ZELVO" "$@" >>"$WORK/zelvo.log" 2>&1 &
    ZELVO_PID=$!
    _pids+=($ZELVO_PID)
    _zelvo_pids+=($ZELVO_PID)
}

# close_zelvo PID [seconds]: Alt+F4 on the program's topmost titled window (a
# message box or dialog before the main window) until it has ended, as a user
# closes it; the window manager asks the program to close. Returns 1, and
# kills it, if it is still running after the time (default 30 s: a sanitizer
# build takes a while to check for leaks at exit).
close_zelvo() {
    local pid=$1 limit=${2:-30} wid
    for _ in $(seq $((limit * 2))); do
        kill -0 "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null || true; return 0; }
        wid=$(xdotool search --all --onlyvisible --pid "$pid" --name '.' 2>/dev/null | tail -n1 || true)
        if [ -n "$wid" ]; then
            xdotool windowactivate --sync "$wid" >/dev/null 2>&1 || true
            xdotool key --clearmodifiers alt+F4 2>/dev/null || true
        fi
        sleep 0.5
    done
    echo "FAIL: zelvo ($pid) was still running ${limit}s after its window was closed" >&2
    kill "$pid" 2>/dev/null
    return 1
}

# wait_window NAME [seconds]: prints the id of the first visible window with that exact title.
wait_window() {
    local name=$1 limit=${2:-20} id
    for _ in $(seq $((limit * 10))); do
        id=$(xdotool search --onlyvisible --name "^${name}\$" 2>/dev/null | head -n1 || true)
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        sleep 0.1
    done
    fail "no window named '$name' after ${limit}s"
}

# wait_no_window NAME [seconds]
wait_no_window() {
    local name=$1 limit=${2:-10}
    for _ in $(seq $((limit * 10))); do
        xdotool search --onlyvisible --name "^${name}\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "window '$name' still there after ${limit}s"
}

# popups MAIN: the visible pop-up windows (menus) of the program: its
# override-redirect windows other than MAIN, bottom to top.
popups() {
    local id
    for id in $(xdotool search --onlyvisible --class zelvo 2>/dev/null || true); do
        [ "$id" = "$1" ] && continue
        xwininfo -id "$id" 2>/dev/null | grep -q "Override Redirect State: yes" && echo "$id"
    done
    return 0
}

# wait_popup MAIN [COUNT]: waits up to 10 s until at least COUNT (1) menus
# are open; prints the id of the topmost.
wait_popup() {
    local want=${2:-1} open
    for _ in $(seq 100); do
        open=$(popups "$1")
        if [ -n "$open" ] && [ "$(wc -l <<<"$open")" -ge "$want" ]; then
            tail -n1 <<<"$open"
            return 0
        fi
        sleep 0.1
    done
    fail "expected $want open menus, found $(popups "$1" | wc -l)"
}

# no_popup MAIN: after 1.5 s, still no menu is open.
no_popup() {
    sleep 1.5
    [ -z "$(popups "$1")" ] || fail "a menu is open: $(popups "$1" | tr '\n' ' ')"
}

# geometry ID: prints "x y width height" of the window's client area on the screen.
geometry() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /^  Width/{w=$2} /^  Height/{h=$2} END{print x, y, w, h}'
}

# frame_geometry ID: the same for the window with its window-manager frame.
frame_geometry() {
    xwininfo -frame -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /^  Width/{w=$2} /^  Height/{h=$2} END{print x, y, w, h}'
}

screenshot() {
    import -window root "$WORK/$1.png"
    echo "screenshot: $WORK/$1.png"
}

# not_black FILE: the picture has more than one colour in it.
not_black() {
    local colours
    colours=$(convert "$1" -format '%k' info:)
    [ "$colours" -gt 1 ] || fail "$1 is one flat colour"
}

# changed_pixels A B: how many pixels differ between two pictures of one size.
changed_pixels() {
    local out
    out=$(compare -metric AE "$1" "$2" null: 2>&1 || true)
    # Large counts come in exponent form (1.2e+06).
    [[ $out =~ ^[0-9]+(\.[0-9]+)?([eE][+-]?[0-9]+)?$ ]] || fail "cannot compare $1 with $2: $out"
    awk -v n="$out" 'BEGIN { printf "%d\n", n + 0.5 }'
}

# wait_full_screen WID on|off: the window manager reports the window in full
# screen (on) or out of it (off) within 5 s; fails with WHAT otherwise.
wait_full_screen() {
    local wid=$1 want=$2 what=${3:-full screen did not turn $2}
    for _ in $(seq 50); do
        if xprop -id "$wid" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN; then
            [ "$want" = on ] && return 0
        else
            [ "$want" = off ] && return 0
        fi
        sleep 0.1
    done
    fail "$what"
}

# wait_slot KEY VALUE: the recent-files slot comes to hold VALUE within 20 s.
wait_slot() {
    for _ in $(seq 200); do [ "$(ini_value "$1")" = "$2" ] && return 0; sleep 0.1; done
    fail "slot $1 holds '$(ini_value "$1")', expected '$2'"
}

# long_clip FILE SIZE: a 20 s MPEG-1 test picture with a running counter, made once.
long_clip() {
    [ -s "$1" ] || ffmpeg -hide_banner -loglevel error -y -f lavfi -i "testsrc=size=$2:rate=25" -t 20 \
        -c:v mpeg1video -b:v 1000k -f mpeg "$1"
}

# near A B TOLERANCE
near() { [ $(($1 - $2)) -le $3 ] && [ $(($2 - $1)) -le $3 ]; }

# check_centred ID SCREEN_W SCREEN_H: the window's frame is centred on the screen, within a pixel.
check_centred() {
    local x y w h left right top bottom fw fh fx fy
    read -r x y w h <<<"$(geometry "$1")"
    read -r left right top bottom <<<"$(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,/ /g')"
    fw=$((w + left + right)) fh=$((h + top + bottom)) fx=$((x - left)) fy=$((y - top))
    echo "client ${w}x$h at $x,$y; frame ${fw}x$fh at $fx,$fy"
    near $((2 * fx + fw)) "$2" 2 || fail "frame ${fw} wide at x=$fx is not centred"
    near $((2 * fy + fh)) "$3" 2 || fail "frame ${fh} high at y=$fy is not centred"
}

# check_playing ID: the picture below the menu bar changes from one moment to the next.
check_playing() {
    local x y w h changed
    read -r x y w h <<<"$(geometry "$1")"
    import -window root -crop "${w}x200+$x+$((y + 40))" "$WORK/picture-a.png"
    sleep 1.5
    import -window root -crop "${w}x200+$x+$((y + 40))" "$WORK/picture-b.png"
    not_black "$WORK/picture-a.png"
    changed=$(changed_pixels "$WORK/picture-a.png" "$WORK/picture-b.png")
    echo "pixels changed: $changed"
    [ "$changed" -gt 100 ] || fail "the picture did not change: the file is not playing"
}

# make_media: the shared test clips, made once under the work root.
make_media() {
    MEDIA=$WORK_ROOT/media
    bash "$E2E_DIR/../media/make_media.sh" "$MEDIA"
}

# ini_value KEY: a value of the recent-files list in the settings file.
ini_value() {
    local file="$XDG_CONFIG_HOME/Quorvel Movie.ini"
    [ -f "$file" ] || { echo ""; return 0; }
    awk -v key="$1" -F= '/^\[/{s=$0} s=="[Recent%20Files]" && $1==key {sub(/^[^=]*=/, ""); print; exit}' "$file"
}
