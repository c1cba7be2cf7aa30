#!/usr/bin/env bash
# Help, About opens the About dialog modally over the player: 382 x 242 pixels
# of client area, the same texts on every opening; Enter and Esc close it.
source "$(dirname "$0")/lib.sh"

start_x 1024x768
# No registry file: what the dialog shows must not depend on one.
ZELVO_REGISTRY_FILE=$WORK/none.ini start_zelvo
main=$(wait_window "Zadudu Divir Edever")
sleep 1

open_about() {
    xdotool windowactivate --sync "$main" 2>/dev/null || true
    xdotool key --clearmodifiers alt+h
    wait_popup "$main" >/dev/null
    xdotool key a
    wait_window "About MyApp"
}

dialog=$(open_about)
sleep 0.7
read -r x y w h <<<"$(geometry "$dialog")"
echo "About MyApp at $x,$y, client ${w}x$h"
[ "$w" -eq 382 ] && [ "$h" -eq 242 ] || fail "client area ${w}x$h, expected 382x242"

# Modal and owned by the player window.
owner=$(xprop -id "$dialog" WM_TRANSIENT_FOR | awk '{print $NF}')
[ $((owner)) -eq $((main)) ] || fail "the dialog belongs to $owner, not to the player window $main"
xprop -id "$dialog" _NET_WM_STATE | grep -q _NET_WM_STATE_MODAL || fail "the dialog is not modal"
# The player takes no input meanwhile: a click on its Help menu opens nothing.
read -r mx my _ _ <<<"$(geometry "$main")"
xdotool mousemove $((mx + 115)) $((my + 10)) click 1
no_popup "$main"
xdotool key a
sleep 1.5
count=$(xdotool search --onlyvisible --name "^About MyApp\$" | wc -l)
[ "$count" -eq 1 ] || fail "$count About dialogs open"

xdotool windowactivate --sync "$dialog" 2>/dev/null || true
sleep 0.3
import -window "$dialog" "$WORK/about-first.png"
screenshot about-screen
not_black "$WORK/about-first.png"

xdotool key Return
wait_no_window "About MyApp"
kill -0 "$ZELVO_PID" || fail "zelvo exited"

# A second opening shows exactly the same dialog.
dialog=$(open_about)
sleep 0.7
xdotool windowactivate --sync "$dialog" 2>/dev/null || true
sleep 0.3
import -window "$dialog" "$WORK/about-second.png"
diff=$(changed_pixels "$WORK/about-first.png" "$WORK/about-second.png")
echo "pixels that differ between the two openings: $diff"
[ "$diff" -eq 0 ] || fail "the second opening looks different ($diff pixels)"

xdotool key Escape
wait_no_window "About MyApp"
kill -0 "$ZELVO_PID" || fail "zelvo exited"
echo "ok"
