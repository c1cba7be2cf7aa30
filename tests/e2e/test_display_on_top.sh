#!/usr/bin/env bash
# Setting, Always On Top asks the window manager to keep the player above
# other windows (_NET_WM_STATE_ABOVE) and choosing it again lets them cover
# it; the window keeps its place, its size and its identity throughout.
source "$(dirname "$0")/lib.sh"

start_x 1024x768
make_media
start_zelvo "$MEDIA/clip.mpg"
main=$(wait_window "Zadudu Divir Edever")
# The Setting menu is usable once the clip has opened, which is also when it
# enters the recent-files list.
for _ in $(seq 200); do
    [ "$(ini_value 0)" = "$MEDIA/clip.mpg" ] && break
    sleep 0.1
done
[ "$(ini_value 0)" = "$MEDIA/clip.mpg" ] || fail "the clip did not open"
sleep 0.5

choose_setting() {
    xdotool windowactivate --sync "$main" 2>/dev/null || true
    xdotool key --clearmodifiers alt+s
    wait_popup "$main" >/dev/null
    xdotool key "$1"
    sleep 0.3
}

# menu_shot NAME: a picture of the Setting menu, opened and closed again.
menu_shot() {
    local menu
    xdotool windowactivate --sync "$main" 2>/dev/null || true
    xdotool key --clearmodifiers alt+s
    menu=$(wait_popup "$main")
    sleep 0.5
    import -window "$menu" "$WORK/$1.png"
    xdotool key Escape
    for _ in $(seq 100); do [ -z "$(popups "$main")" ] && break; sleep 0.1; done
}

above() { xprop -id "$main" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE; }

# wait_state yes|no
wait_state() {
    for _ in $(seq 30); do
        if above; then [ "$1" = yes ] && return 0; else [ "$1" = no ] && return 0; fi
        sleep 0.1
    done
    fail "_NET_WM_STATE_ABOVE should be '$1': $(xprop -id "$main" _NET_WM_STATE)"
}

# The stacking order from the window manager, bottom to top, as decimal ids.
stacking() {
    xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,/ /g' | xargs -n1 printf '%d\n'
}
topmost() { stacking | tail -n1; }

# same_window: the player window is still the one we started with, shown.
same_window() {
    xwininfo -id "$main" | grep -q "Map State: IsViewable" || fail "the player window is not shown"
    [ "$(xdotool search --onlyvisible --name '^Zadudu Divir Edever$' | head -n1)" = "$main" ] ||
        fail "the player window was re-created"
}

above && fail "the window starts above others"
menu_shot menu-normal
client_before=$(geometry "$main")
frame_before=$(frame_geometry "$main")
echo "player window $main at $client_before (frame $frame_before)"

# On top.
choose_setting t
wait_state yes
sleep 0.5
[ "$(geometry "$main")" = "$client_before" ] || fail "moved or resized: $(geometry "$main"), was $client_before"
[ "$(frame_geometry "$main")" = "$frame_before" ] || fail "frame moved: $(frame_geometry "$main")"
same_window

# The menu shows the mark.
menu_shot menu-on-top
marked=$(changed_pixels "$WORK/menu-normal.png" "$WORK/menu-on-top.png")
echo "menu pixels that change with the mark: $marked"
[ "$marked" -gt 0 ] || fail "the Setting menu looks the same with Always On Top chosen"

# A window opened over it afterwards stays below it, even when it has the focus.
xmessage -geometry 400x300+250+150 "another window" &
other_pid=$!
_pids+=($other_pid)
other=$(wait_window "xmessage")
xdotool windowactivate --sync "$other" 2>/dev/null || true
sleep 0.5
[ "$(topmost)" = "$main" ] || fail "another window covers the player: stacking $(stacking | tr '\n' ' ')"
screenshot on-top

# Back to normal: the focused window may cover it again.
choose_setting t
wait_state no
xdotool windowactivate --sync "$other" 2>/dev/null || true
sleep 0.5
[ "$(topmost)" = "$other" ] || fail "the other window does not come over the player: stacking $(stacking | tr '\n' ' ')"
[ "$(geometry "$main")" = "$client_before" ] || fail "moved or resized: $(geometry "$main"), was $client_before"
[ "$(frame_geometry "$main")" = "$frame_before" ] || fail "frame moved: $(frame_geometry "$main")"
same_window
screenshot normal
# And the mark has gone from the menu.
menu_shot menu-normal-again
unmarked=$(changed_pixels "$WORK/menu-normal.png" "$WORK/menu-normal-again.png")
[ "$unmarked" -eq 0 ] || fail "the Setting menu still differs by $unmarked pixels after Always On Top was undone"

kill -0 "$ZELVO_PID" || fail "zelvo exited"
kill "$other_pid"
echo "ok"
