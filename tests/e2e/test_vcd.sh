#!/usr/bin/env bash
# Video CD from a disc image given as drive D: in ZELVO_DRIVES: V plays track 1
# in the window, Enter track 2, Backspace track 1 again; the recent-files list
# records the drive-letter paths; a disc taken out is reported, not waited for.
# Prints how long Enter and Backspace take until the new track is on screen.
source "$(dirname "$0")/lib.sh"

VCD=$WORK_ROOT/vcd
bash "$E2E_DIR/../media/make_vcd.sh" "$VCD"
cp "$VCD/video.cue" "$VCD/video.bin" "$WORK/"
export ZELVO_DRIVES="D=$WORK/video.cue"

# probe COLOUR X Y [KEY]: types KEY (if any), then waits until the screen pixel
# at X,Y has that colour (dark: track 1, a test card with a black corner; grey:
# track 2, colour bars); prints the milliseconds that took. Reads one pixel
# at a time through Xlib, so it sees the change within a few milliseconds.
probe() {
    python3 - "$@" <<'PY'
import ctypes, subprocess, sys, time
colour, x, y = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
key = sys.argv[4] if len(sys.argv) > 4 else None
xlib = ctypes.cdll.LoadLibrary("libX11.so.6")
xlib.XOpenDisplay.restype = ctypes.c_void_p
xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
xlib.XDefaultRootWindow.restype = ctypes.c_ulong
xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
xlib.XGetImage.restype = ctypes.c_void_p
xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                           ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte))]
display = xlib.XOpenDisplay(None)
root = xlib.XDefaultRootWindow(display)
def pixel():
    image = xlib.XGetImage(display, root, x, y, 1, 1, 0xFFFFFFFF, 2)  # ZPixmap
    data = ctypes.cast(image, ctypes.POINTER(XImage)).contents.data
    rgb = (data[2], data[1], data[0])
    xlib.XFree(data)
    xlib.XFree(ctypes.c_void_p(image))
    return rgb
def matches(rgb):
    if colour == "dark":
        return max(rgb) < 40
    return min(rgb) > 150 and max(rgb) - min(rgb) < 30
if key and matches(pixel()):
    print("the pixel at %d,%d is %s already" % (x, y, colour), file=sys.stderr)
    sys.exit(1)
start = time.monotonic()
if key:
    subprocess.run(["xdotool", "key", key], check=True)
while time.monotonic() - start < 15:
    if matches(pixel()):
        print(round((time.monotonic() - start) * 1000))
        sys.exit(0)
    time.sleep(0.002)
print("the pixel at %d,%d stayed %s" % (x, y, pixel()), file=sys.stderr)
sys.exit(1)
PY
}

# ini_is KEY VALUE: waits for a recent-files entry. The file writes a backslash twice.
ini_is() { wait_slot "$1" "${2//\\/\\\\}"; }

start_x 1024x768
# A clip on the command line shows the control, and Play Video CD leaves it
# as it is. It is the stream of track 2: colour bars, grey at the probed corner.
start_zelvo "$VCD/track2.mpg"
main=$(wait_window "Zadudu Divir Edever")
ini_is 0 "$VCD/track2.mpg"
sleep 0.5
xdotool windowactivate --sync "$main" 2>/dev/null || true
read -r x y w h <<<"$(geometry "$main")"
# Inside the picture, near its top left corner, below the menu bar.
px=$((x + 15)) py=$((y + 60))

ms=$(probe dark $px $py v) || fail "V did not show track 1"
ini_is 1 'D:\mpegav\avseq01.dat'
sleep 0.5
screenshot track1
not_black "$WORK/track1.png"

enter=$(probe grey $px $py Return) || fail "Enter did not show track 2"
ini_is 2 'D:\mpegav\avseq02.dat'
sleep 0.5
screenshot track2

backspace=$(probe dark $px $py BackSpace) || fail "Backspace did not show track 1"
sleep 1
screenshot track1-again
# Track 1 was listed already: it keeps its place, and nothing else was added.
ini_is 1 'D:\mpegav\avseq01.dat'
ini_is 3 ''
echo "from the image: V to track 1 on screen ${ms} ms, Enter to track 2 ${enter} ms, Backspace to track 1 ${backspace} ms"

# The disc is taken out: Enter finds no track 2, falls back to track 1 untested,
# and the player says why it cannot be opened, at once.
rm "$WORK/video.cue" "$WORK/video.bin"
xdotool windowactivate --sync "$main" 2>/dev/null || true
xdotool key Return
box=$(wait_window zelvo 15)
sleep 0.3
screenshot disc-gone
xdotool windowactivate --sync "$box" 2>/dev/null || true
xdotool key Return
wait_no_window zelvo
kill -0 "$ZELVO_PID" || fail "zelvo exited"
echo "PASS"
