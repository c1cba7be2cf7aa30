#!/usr/bin/env bash
# Plays the same 1280x720 30 fps H.264 clip in the media control (bench_harness)
# and in the mpv player, under Xvfb, and prints a table with the ratios:
#   start    process start to the first picture on screen (median)
#   cpu      user+sys CPU for start, 8 s of playback and exit (median)
#   rss      peak resident memory over the same run (median)
# The software surface is set against mpv --vo=x11, the OpenGL surface against
# mpv --vo=gpu. Targets: start <= 1.15x, cpu <= 1.05x, rss <= mpv's + 30 MiB.
#
#   bash bench/run_bench.sh [BUILD_DIR] [RUNS]     (defaults: build, 5)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-5}
harness=$build/bench/bench_harness
work=$build/bench-work
[ -x "$harness" ] || { echo "no $harness: build the bench_harness target first" >&2; exit 1; }
command -v mpv >/dev/null || { echo "the mpv player is not installed (apt-get install mpv)" >&2; exit 1; }
mkdir -p "$work"

clip=$work/h264-1280x720-30.mp4
if [ ! -s "$clip" ]; then
    ffmpeg -hide_banner -loglevel error -y -f lavfi -i testsrc2=size=1280x720:rate=30 \
        -f lavfi -i sine=frequency=440:sample_rate=48000 -t 10 \
        -c:v libx264 -preset fast -pix_fmt yuv420p -c:a aac -b:a 128k -shortest "$clip.tmp.mp4"
    mv "$clip.tmp.mp4" "$clip"
fi

# A display of our own, big enough for the clip at its own size, with a window manager.
display=:$((60 + RANDOM % 200))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >"$work/openbox.log" 2>&1 &
wm=$!
cleanup() { kill "$wm" "$xvfb" 2>/dev/null || true; wait 2>/dev/null || true; }
trap cleanup EXIT
sleep 0.5
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work/runtime}
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

# The same engine settings on both sides: nothing of the user's set-up, no scripts,
# no on-screen controller, sound decoded into the null output on this machine.
mpv_common=(--no-config --load-scripts=no --load-stats-overlay=no --load-osd-console=no
            --load-auto-profiles=no --ytdl=no --osc=no --input-default-bindings=no
            --hwdec=auto-safe --audio-fallback-to-null=yes --keep-open=no)

# Seconds from launch to the first line that contains the marker; the program is then ended.
first_frame() {
    local marker=$1; shift
    local t0 t1="" line
    t0=$EPOCHREALTIME
    coproc RUN { exec "$@" 2>&1; }
    local pid=$RUN_PID
    while IFS= read -r line <&"${RUN[0]}"; do
        if [[ $line == *"$marker"* ]]; then t1=$EPOCHREALTIME; break; fi
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    [ -n "$t1" ] || { echo "no first frame from: $*" >&2; echo nan; return; }
    awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.3f\n", b - a }'
}

# "cpu_seconds peak_rss_kib" of one whole run.
usage_of() {
    /usr/bin/time -f "%U %S %M" -o "$work/time.txt" "$@" >/dev/null 2>&1 || true
    awk '{ printf "%.2f %d\n", $1 + $2, $3 }' "$work/time.txt"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

measure() {  # name surface mpv_vo...
    local name=$1 surface=$2; shift 2
    local vo=("$@")
    local i starts_z="" starts_m="" cpu_z="" cpu_m="" rss_z="" rss_m="" u
    for i in $(seq "$runs"); do
        starts_z+="$(ZELVO_VIDEO_SURFACE=$surface first_frame first-frame "$harness" "$clip" --first-frame-only)"$'\n'
        starts_m+="$(first_frame "first video frame after restart shown" \
            mpv "${mpv_common[@]}" "${vo[@]}" --msg-level=all=warn,cplayer=v "$clip")"$'\n'
        u=$(ZELVO_VIDEO_SURFACE=$surface usage_of "$harness" "$clip" --play 8)
        cpu_z+="${u% *}"$'\n'; rss_z+="${u#* }"$'\n'
        u=$(usage_of mpv "${mpv_common[@]}" "${vo[@]}" --really-quiet --end=8 "$clip")
        cpu_m+="${u% *}"$'\n'; rss_m+="${u#* }"$'\n'
    done
    local sz sm cz cm rz rm
    sz=$(printf %s "$starts_z" | median); sm=$(printf %s "$starts_m" | median)
    cz=$(printf %s "$cpu_z" | median); cm=$(printf %s "$cpu_m" | median)
    rz=$(printf %s "$rss_z" | median); rm=$(printf %s "$rss_m" | median)
    awk -v n="$name" -v v="${vo[*]}" -v sz="$sz" -v sm="$sm" -v cz="$cz" -v cm="$cm" -v rz="$rz" -v rm="$rm" 'BEGIN {
        rs = sz / sm; rc = cz / cm; dr = (rz - rm) / 1024
        printf "%-9s %-22s %8.3f %8.3f %6.2fx %-4s %7.2f %7.2f %6.2fx %-4s %8.1f %8.1f %+7.1f %-4s\n",
            n, v, sz, sm, rs, (rs <= 1.15 ? "ok" : "MISS"), cz, cm, rc, (rc <= 1.05 ? "ok" : "MISS"),
            rz / 1024, rm / 1024, dr, (dr <= 30 ? "ok" : "MISS")
    }'
}

echo "clip: $clip (1280x720, 30 fps, H.264 + AAC); $runs runs each, medians; 8 s of playback"
printf "%-9s %-22s %8s %8s %7s %-4s %7s %7s %7s %-4s %8s %8s %7s %-4s\n" \
    surface "mpv output" "start/s" "mpv/s" ratio "" "cpu/s" "mpv/s" ratio "" "rss/MiB" "mpv/MiB" "diff" ""
measure software software --vo=x11
measure opengl opengl --vo=gpu --gpu-sw=yes
echo "targets: start <= 1.15x mpv, cpu <= 1.05x mpv, peak rss <= mpv + 30 MiB"
