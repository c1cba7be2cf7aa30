#!/usr/bin/env bash
# The seek-bar preview under load, under Xvfb with openbox, at a quarter of a
# 1920x1080 screen (MovieSize 2), the files of bench/heavy_media.sh:
#
#   sweep rows: the film plays while the pointer sweeps the seek bar back and
#     forth for 20 s (bench_harness --sweep), against the same run with the
#     preview off and the pointer at rest (--no-preview): milliseconds from the
#     pointer stopping to its picture in the preview (median, worst), frames
#     drawn and dropped, CPU of the 20 s, peak RSS, and RSS before the first
#     preview and after its engine has gone.
#   open-many: the two-hour H.264 film opened 100 times in a row with the
#     pointer on the bar: open files and threads after the first and the last.
#
#   bash bench/run_preview.sh [BUILD_DIR] [RUNS] [SECONDS]
#     defaults: build, 1, 20.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
runs=${2:-1}
seconds=${3:-20}
harness=$build/bench/bench_harness
work=$build/bench-work
cache=${ZELVO_BENCH_CACHE:-$HOME/.cache/zelvo-bench}
[ -x "$harness" ] || { echo "no $harness: build the bench_harness target first" >&2; exit 1; }
mkdir -p "$work"
ZELVO_BENCH_CACHE=$cache bash "$root/bench/heavy_media.sh"

unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work/runtime}
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
export ZELVO_VIDEO_SURFACE=software

servers=()
cleanup() { kill "${servers[@]}" 2>/dev/null || true; wait 2>/dev/null || true; }
trap cleanup EXIT
display=:$((60 + RANDOM % 200))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >"$work/xvfb-preview.log" 2>&1 &
servers+=($!)
for _ in $(seq 50); do DISPLAY=$display xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY=$display openbox >"$work/openbox-preview.log" 2>&1 &
servers+=($!)
sleep 0.5

field() { sed -n "s/.*[^-]$1=\([-0-9.]*\).*/\1/p" | head -n 1; }  # NAME < "a=1 NAME=2" -> 2

echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg); $runs runs of $seconds s each"
printf "%-9s %-7s | %5s %7s %7s | %6s %6s %6s | %6s | %8s %8s %8s\n" row preview stops "med ms" "worst" \
    drawn drop-o drop-d cpu/s "rss0 MiB" "peak" "after"
sweep_row() {  # name file
    local name=$1 file=$cache/$2 i mode out
    for i in $(seq "$runs"); do
        for mode in off on; do
            local flags=(--sweep "$seconds")
            [ "$mode" = off ] && flags+=(--no-preview)
            out=$(DISPLAY=$display timeout 300 "$harness" "$file" --size 2 --stats "${flags[@]}" \
                2>"$work/preview-$name.log" || true)
            [ -n "$out" ] || { echo "$name $mode: no figures (see $work/preview-$name.log)" >&2; continue; }
            awk -v n="$name" -v m="$mode" \
                -v stops="$(field stops <<<"$out")" -v med="$(field median-ms <<<"$out")" \
                -v worst="$(field worst-ms <<<"$out")" -v drawn="$(field presented <<<"$out")" \
                -v dout="$(field dropped-output <<<"$out")" -v ddec="$(field dropped-decoder <<<"$out")" \
                -v cpu="$(field cpu-s <<<"$out")" -v r0="$(field rss-before-kb <<<"$out")" \
                -v peak="$(field peak-rss-kb <<<"$out")" -v after="$(field rss-after-kb <<<"$out")" 'BEGIN {
                printf "%-9s %-7s | %5d %7.1f %7.1f | %6d %6d %6d | %6.2f | %8.1f %8.1f %8.1f\n",
                    n, m, stops, med, worst, drawn, dout, ddec, cpu, r0 / 1024, peak / 1024, after / 1024 }'
        done
    done
}
sweep_row 2h-h264  h264-1280x720-30-2h.mp4
sweep_row 2h-mpeg1 mpeg1-352x288-25-2h.mpg
sweep_row 1080p60  h264-1920x1080-60-30s.mp4
sweep_row 720p30   minute-h264-1280x720-30.mp4

echo
DISPLAY=$display timeout 600 "$harness" "$cache/h264-1280x720-30-2h.mp4" --size 2 --open-many 100 \
    2>"$work/preview-open-many.log" | grep '^open-many' || echo "open-many: no figures (see $work/preview-open-many.log)"
