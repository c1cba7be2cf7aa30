#!/usr/bin/env bash
# Heavy media against the mpv player (--vo=x11, the software output that matches
# the control's software surface), under Xvfb, the two players run in turn:
#
#   play rows: 1080p60 H.264 (30 s), 2160p30 H.264 and HEVC (20 s), each at a
#     quarter of a 1920x1080 screen (the control's MovieSize 2, mpv's window the
#     same size) and at the movie's own size on a 4096x2400 screen; 1080p60 also
#     at a quarter while another program keeps every core busy ("loaded":
#     stress-ng --cpu N, N the number of cores, the same for both players). Per player:
#     frames due in the time played, frames mpv dropped on the way (late at the
#     video output, or skipped by the decoder), for the control also the frames
#     its surface drew in the window, and user+sys CPU of the whole run.
#   seek rows: a two-hour 720p H.264 film and a two-hour MPEG-1 program stream
#     (Video CD style), paused, a quarter of the screen: ten clicks on the seek
#     bar spread over the film (the same places for mpv, told by IPC), and a
#     frame step forward and back after each; milliseconds to the new picture,
#     median and worst.
#
#   bash bench/run_heavy.sh [BUILD_DIR] [RUNS] [ROWS]
#     defaults: build, 3, all; ROWS is a regular expression over the row names
#     (1080p60, 2160p-h264, 2160p-hevc, 2h-h264, 2h-mpeg1) and sizes (quarter, own, loaded).
#   Files are made once (bench/heavy_media.sh) in ${ZELVO_BENCH_CACHE:-~/.cache/zelvo-bench}.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-3}
rows=${3:-.}
harness=$build/bench/bench_harness
work=$build/bench-work
cache=${ZELVO_BENCH_CACHE:-$HOME/.cache/zelvo-bench}
[ -x "$harness" ] || { echo "no $harness: build the bench_harness target first" >&2; exit 1; }
# The mpv player, the X server and the libraries the screen watcher needs.
bash "$root/scripts/install-deps.sh" --with-bench
mkdir -p "$work"
# What reached the screen is taken from the X server, the same way for both players.
watcher=$work/damage_watch
if [ ! -x "$watcher" ] || [ "$root/bench/damage_watch.c" -nt "$watcher" ]; then
    cc -O2 -Wall -Wextra -o "$watcher" "$root/bench/damage_watch.c" -lXdamage -lX11 ||
        { echo "cannot build damage_watch (apt-get install libxdamage-dev)" >&2; exit 1; }
fi
ZELVO_BENCH_CACHE=$cache bash "$root/bench/heavy_media.sh"

unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work/runtime}
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
export ZELVO_VIDEO_SURFACE=software

# Displays of our own, with a window manager: one like a laptop's, one large
# enough for a 2160p picture at its own size with the window round it.
servers=()
watching=""
loading=""
cleanup() { kill $watching $loading "${servers[@]}" 2>/dev/null || true; wait 2>/dev/null || true; }
trap cleanup EXIT
start_display() {  # WxH -> prints the display name
    local display=:$((60 + RANDOM % 200))
    Xvfb "$display" -screen 0 "$1x24" -nolisten tcp >"$work/xvfb$display.log" 2>&1 &
    servers+=($!)
    for _ in $(seq 50); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    DISPLAY=$display openbox >"$work/openbox$display.log" 2>&1 &
    servers+=($!)
    sleep 0.5
    echo "$display"
}
laptop=$(start_display 1920x1080)
large=$(start_display 4096x2400)

mpv_common=(mpv --no-config --load-scripts=no --load-stats-overlay=no --load-osd-console=no
            --load-auto-profiles=no --ytdl=no --osc=no --input-default-bindings=no
            --hwdec=auto-safe --audio-fallback-to-null=yes --vo=x11 --really-quiet
            --osd-level=0 --osd-bar=no)
drive=(python3 "$root/bench/mpv_drive.py")
socket=$work/mpv.socket

median() { grep . | sort -g | awk '{ v[NR] = $1 } END { if (!NR) { print "nan"; exit } print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
worst() { grep . | sort -g | tail -n 1; }
field() { sed -n "s/.*$1=\([-0-9.]*\).*/\1/p"; }  # NAME < "a=1 NAME=2" -> 2
cpu_of() { awk '{ printf "%.2f\n", $1 + $2 }' "$1"; }

# Records what the X server draws on DISPLAY into $work/damage.txt until unwatch.
watch() {
    local ready
    coproc WATCH { DISPLAY=$1 exec "$watcher" >"$work/damage.txt"; }
    watching=$WATCH_PID
    for _ in $(seq 50); do grep -q ready "$work/damage.txt" 2>/dev/null && break; sleep 0.05; done
}
unwatch() { sleep 0.2; kill "$watching" 2>/dev/null || true; wait "$watching" 2>/dev/null || true; watching=""; }
shown() { "${drive[@]}" frames "${1%x*}" "${1#*x}" "$work/damage.txt" "${@:2}"; }

# Another program busy on every core while one player runs, for the loaded rows.
load_on() {
    stress-ng --cpu "$(nproc)" --timeout 600 --quiet &
    loading=$!
    sleep 1
}
load_off() { kill "$loading" 2>/dev/null || true; wait "$loading" 2>/dev/null || true; loading=""; }

# The window's picture: the control's MovieSize 2 is the picture fitted within a
# quarter of the screen's width and height; 0 is its own size.
area() {  # video_w video_h size -> WxH
    awk -v w="$1" -v h="$2" -v s="$3" 'BEGIN {
        if (s == 0) { printf "%dx%d\n", w, h; exit }
        k = (1920 / 4) / w; if ((1080 / 4) / h < k) k = (1080 / 4) / h
        printf "%dx%d\n", int(w * k + 1e-6), int(h * k + 1e-6) }'
}

echo "machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)," \
    "$(awk '/MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo) RAM; load $(cut -d' ' -f1-3 /proc/loadavg);" \
    "mpv $(mpv --version | awk 'NR == 1 { print $2 }'); $runs runs each, medians"
printf "%-11s %-17s %5s | %-32s %7s | %-15s %7s | %-11s %-4s\n" row "size (picture)" due \
    "control: shown drawn dropped" cpu/s "mpv: shown drop" cpu/s "cpu ratio" drop
play_row() {  # name file w h fps seconds size [loaded]
    local name=$1 file=$cache/$2 w=$3 h=$4 fps=$5 seconds=$6 size=$7 loaded=${8:-}
    local display=$laptop sizeword=quarter
    [ "$size" = 0 ] && { display=$large; sizeword=own; }
    [ -n "$loaded" ] && sizeword=loaded
    [[ "$name $sizeword" =~ $rows ]] || return 0
    local geometry end
    geometry=$(area "$w" "$h" "$size")
    end=$(awk -v s="$seconds" 'BEGIN { print s - 0.5 }')
    local i out zd="" zp="" zs="" zc="" md="" ms="" mc=""
    for i in $(seq "$runs"); do
        run_control() {
            [ -z "$loaded" ] || load_on
            watch "$display"
            out=$(DISPLAY=$display /usr/bin/time -f "%U %S" -o "$work/time-z.txt" \
                timeout 300 "$harness" "$file" --size "$size" --play "$end" --stats 2>"$work/control.log" | grep '^frames' || true)
            unwatch
            [ -z "$loaded" ] || load_off
            cp "$work/damage.txt" "$work/damage-z.txt"
            [ -n "$out" ] || { echo "$name: a control run gave no figures (see $work/control.log)" >&2; return 0; }
            zs+="$(shown "$geometry" | field shown)"$'\n'
            zp+="$(field presented <<<"$out")"$'\n'
            zd+="$(( $(field dropped-output <<<"$out") + $(field dropped-decoder <<<"$out") ))"$'\n'
            zc+="$(cpu_of "$work/time-z.txt")"$'\n'
        }
        run_mpv() {
            rm -f "$socket"
            [ -z "$loaded" ] || load_on
            watch "$display"
            out=$(DISPLAY=$display timeout 300 "${drive[@]}" stats "$socket" -- /usr/bin/time -f "%U %S" -o "$work/time-m.txt" \
                "${mpv_common[@]}" --geometry="$geometry" --keep-open=yes --end="$end" \
                --input-ipc-server="$socket" "$file" 2>"$work/mpv.log" || true)
            unwatch
            [ -z "$loaded" ] || load_off
            ms+="$(shown "$geometry" | field shown)"$'\n'
            [ -n "$out" ] || { echo "$name: an mpv run gave no figures (see $work/mpv.log)" >&2; return 0; }
            md+="$(( $(field dropped-output <<<"$out") + $(field dropped-decoder <<<"$out") ))"$'\n'
            mc+="$(cpu_of "$work/time-m.txt")"$'\n'
        }
        # Alternating who goes first, so that load from elsewhere falls on both alike.
        if (( i % 2 )); then run_control; run_mpv; else run_mpv; run_control; fi
    done
    local due
    due=$(awk -v s="$end" -v f="$fps" 'BEGIN { printf "%d", s * f }')
    awk -v n="$name" -v sz="$sizeword $geometry" -v due="$due" \
        -v zs="$(median <<<"$zs")" -v zp="$(median <<<"$zp")" -v zd="$(median <<<"$zd")" -v zc="$(median <<<"$zc")" \
        -v ms="$(median <<<"$ms")" -v md="$(median <<<"$md")" -v mc="$(median <<<"$mc")" '
    function min(a, b) { return a < b ? a : b }
    BEGIN {
        r = zc / mc
        printf "%-11s %-17s %5d | %9d %6d %7d %7.2f | %8d %6d %7.2f | %5.2fx %-4s %-4s\n",
            n, sz, due, zs, zp, zd, zc, ms, md, mc, r, (r <= 1.05 ? "ok" : "MISS"), ((zd > 0 && md == 0) || min(zs, due) < min(ms, due) - (due / 100 > 2 ? due / 100 : 2) ? "MISS" : "ok")
    }'
}

play_row 1080p60    h264-1920x1080-60-30s.mp4 1920 1080 60 30 2
play_row 1080p60    h264-1920x1080-60-30s.mp4 1920 1080 60 30 0
play_row 1080p60    h264-1920x1080-60-30s.mp4 1920 1080 60 30 2 loaded
play_row 2160p-h264 h264-3840x2160-30-20s.mp4 3840 2160 30 20 2
play_row 2160p-h264 h264-3840x2160-30-20s.mp4 3840 2160 30 20 0
play_row 2160p-hevc hevc-3840x2160-30-20s.mp4 3840 2160 30 20 2
play_row 2160p-hevc hevc-3840x2160-30-20s.mp4 3840 2160 30 20 0

# Milliseconds from each t0 in the player's output to the picture on screen, per kind.
latencies() {  # picture output_file kind
    local t0s
    t0s=$(grep "^$3 " "$2" | field t0 | paste -sd' ')
    [ -n "$t0s" ] || return 0
    # shellcheck disable=SC2086
    shown "$1" $t0s | grep '^latency' | field ms
}

# Seeks that did not land on the asked frame (more than one frame off).
missed() { awk '/^seek / { split($4, t, "="); split($5, a, "="); if (a[2] - t[2] > 0.05 || t[2] - a[2] > 0.05) n++ } END { print n + 0 }' "$1"; }

seek_row() {  # name file w h [mpv options...]
    local name=$1 file=$cache/$2 w=$3 h=$4
    local extra=("${@:5}")
    [[ "$name quarter" =~ $rows ]] || return 0
    local geometry i targets kind zs="" zf="" zb="" ms="" mf="" mb="" wrong=0 mwrong=0
    geometry=$(area "$w" "$h" 2)
    for i in $(seq "$runs"); do
        watch "$laptop"
        DISPLAY=$laptop timeout 300 "$harness" "$file" --size 2 --seek-test >"$work/seeks-z.txt" 2>"$work/control.log" || true
        unwatch
        zs+=$(latencies "$geometry" "$work/seeks-z.txt" seek)$'\n'
        zf+=$(latencies "$geometry" "$work/seeks-z.txt" step-forward)$'\n'
        zb+=$(latencies "$geometry" "$work/seeks-z.txt" step-back)$'\n'
        wrong=$((wrong + $(grep -c timeout "$work/seeks-z.txt" || true)))
        # Each picture must be the frame asked for: the position reached after a seek is the
        # target's frame, so no more than one frame off.
        wrong=$((wrong + $(missed "$work/seeks-z.txt")))
        targets=$(grep '^seek ' "$work/seeks-z.txt" | field target | paste -sd,)
        rm -f "$socket"
        watch "$laptop"
        DISPLAY=$laptop timeout 300 "${drive[@]}" seek "$socket" "$targets" -- "${mpv_common[@]}" "${extra[@]}" --geometry="$geometry" \
            --pause --keep-open=yes --input-ipc-server="$socket" "$file" >"$work/seeks-m.txt" 2>"$work/mpv.log" || true
        unwatch
        ms+=$(latencies "$geometry" "$work/seeks-m.txt" seek)$'\n'
        mf+=$(latencies "$geometry" "$work/seeks-m.txt" step-forward)$'\n'
        mb+=$(latencies "$geometry" "$work/seeks-m.txt" step-back)$'\n'
        mwrong=$((mwrong + $(missed "$work/seeks-m.txt")))
    done
    for kind in seek step-forward step-back; do
        local z m
        case $kind in seek) z=$zs m=$ms ;; step-forward) z=$zf m=$mf ;; *) z=$zb m=$mb ;; esac
        z=$(grep . <<<"$z" || true); m=$(grep . <<<"$m" || true)
        awk -v n="$name" -v k="$kind" -v c="$(wc -l <<<"$z")" \
            -v zm="$(median <<<"$z")" -v zw="$(worst <<<"$z")" -v mm="$(median <<<"$m")" -v mw="$(worst <<<"$m")" 'BEGIN {
            r = zm / mm
            printf "%-9s %-13s %3d | %7.1f %7.1f | %7.1f %7.1f | %5.2fx %-4s %s\n",
                n, k, c, zm, zw, mm, mw, r, (r <= 1.1 ? "ok" : "MISS"), (k != "seek" || zw <= 1000 ? "" : "over 1 s")
        }'
    done
    [ "$wrong" = 0 ] || echo "$name: $wrong control seeks or steps timed out or missed their frame"
    [ "$mwrong" = 0 ] || echo "$name: $mwrong mpv seeks missed their frame"
}

if [[ "2h-h264 quarter 2h-mpeg1 quarter" =~ $rows ]]; then
    echo
    printf "%-9s %-13s %3s | %-15s | %-15s | %s\n" row "" n "control ms" "mpv ms" "median ratio"
    printf "%-9s %-13s %3s | %7s %7s | %7s %7s |\n" "" "" "" median worst median worst
fi
seek_row 2h-h264  h264-1280x720-30-2h.mp4 1280 720
# mpv lands a group of pictures late in a program stream unless the demuxer starts
# a second early, as the control has it do there: the same for both, else the
# mpv player would be timed to a picture that is not the one asked for.
seek_row 2h-mpeg1 mpeg1-352x288-25-2h.mpg 352 288 --hr-seek-demuxer-offset=1
