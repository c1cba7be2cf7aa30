#!/usr/bin/env bash
# System Info starts the program the registry file names (as a path, or as
# the folder of MSINFO32.EXE written with backslashes), or the first
# system-information program on PATH; with none it says so and the About
# dialog stays open.
source "$(dirname "$0")/lib.sh"

start_x 1024x768
mkdir -p "$WORK/bin" "$WORK/tools" "$WORK/msinfo folder"
registry=$WORK/registry.ini
: >"$registry"

# probe FILE: a small program that writes FILE when it runs.
probe() {
    printf '#!/bin/sh\necho "ran with $# arguments" > "%s"\n' "$2" >"$1"
    chmod +x "$1"
}
wait_file() {
    for _ in $(seq 200); do [ -s "$1" ] && return 0; sleep 0.1; done
    fail "$2"
}

# Only our own folder on PATH, so no system-information program of this machine is found.
PATH=$WORK/bin ZELVO_REGISTRY_FILE=$registry start_zelvo
main=$(wait_window "Zadudu Divir Edever")
sleep 1

xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key --clearmodifiers alt+h
wait_popup "$main" >/dev/null
xdotool key a
dialog=$(wait_window "About MyApp")
sleep 0.5

system_info() {
    xdotool windowactivate --sync "$dialog" 2>/dev/null || true
    xdotool key --clearmodifiers alt+s
}

# 1. The path in the registry file.
probe "$WORK/tools/sysinfo probe" "$WORK/ran-path"
printf '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Shared Tools\\MSINFO]\nPATH=%s\n' "$WORK/tools/sysinfo probe" >"$registry"
system_info
wait_file "$WORK/ran-path" "the program named in the registry file did not run"
grep -q "ran with 0 arguments" "$WORK/ran-path" || fail "started with arguments: $(cat "$WORK/ran-path")"
echo "registry path: $(cat "$WORK/ran-path")"

# 2. The folder of MSINFO32.EXE, written the Windows way.
probe "$WORK/msinfo folder/MSINFO32.EXE" "$WORK/ran-folder"
folder=$(printf '%s' "$WORK/msinfo folder" | tr '/' '\\')
printf '[SOFTWARE\\Microsoft\\Shared Tools Location]\nMSINFO=%s\n' "$folder" >"$registry"
system_info
wait_file "$WORK/ran-folder" "MSINFO32.EXE in the registry's folder did not run"
echo "registry folder: $(cat "$WORK/ran-folder")"

# 3. No registry values: the first system-information program on PATH.
: >"$registry"
rm -f "$WORK/msinfo folder/MSINFO32.EXE"
probe "$WORK/bin/gnome-system-monitor" "$WORK/ran-second-choice"
probe "$WORK/bin/hardinfo" "$WORK/ran-builtin"
system_info
wait_file "$WORK/ran-builtin" "hardinfo on PATH did not run"
[ -e "$WORK/ran-second-choice" ] && fail "a program later in the list ran too"
echo "built-in answer: $(cat "$WORK/ran-builtin")"

# 4. Nothing anywhere: the message, and the dialog stays.
rm -f "$WORK/bin/hardinfo" "$WORK/bin/gnome-system-monitor"
system_info
box=$(wait_window "zelvo")
sleep 0.5
import -window "$box" "$WORK/unavailable.png"
screenshot unavailable-screen
read -r _ _ bw bh <<<"$(geometry "$box")"
echo "message box ${bw}x$bh"
xdotool windowactivate --sync "$box" 2>/dev/null || true
xdotool key Return
wait_no_window "zelvo"
xdotool search --onlyvisible --name "^About MyApp\$" >/dev/null || fail "the About dialog closed with the message"
ls "$WORK"/ran-* | grep -qv -e ran-path -e ran-folder -e ran-builtin && fail "something else ran"

xdotool windowactivate --sync "$dialog" 2>/dev/null || true
xdotool key Return
wait_no_window "About MyApp"
kill -0 "$ZELVO_PID" || fail "zelvo exited"
echo "ok"
