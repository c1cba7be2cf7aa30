#!/usr/bin/env bash
# Makes the heavy benchmark's files once and keeps them between runs in
# ${ZELVO_BENCH_CACHE:-~/.cache/zelvo-bench}; prints nothing when they are there.
#   1080p60 H.264 30 s; 2160p30 H.264 and HEVC 20 s (ultrafast);
#   a two-hour 720p30 H.264 film and a two-hour MPEG-1 program stream (Video CD
#   style), each one minute encoded and repeated by stream copy.
set -euo pipefail
cache=${ZELVO_BENCH_CACHE:-$HOME/.cache/zelvo-bench}
mkdir -p "$cache"
ff=(ffmpeg -hide_banner -loglevel error -y)
sound=(-f lavfi -i sine=frequency=440:sample_rate=48000)

make() {  # name command...
    local out=$cache/$1; shift
    [ -s "$out" ] && return 0
    echo "making $out" >&2
    "$@" "$out.tmp.${out##*.}"
    mv "$out.tmp.${out##*.}" "$out"
}

# A two-hour file from one minute: the concat demuxer repeats the minute with stream copy.
repeat() {  # minute [output options...] out
    local minute=$1
    local list=$cache/repeat.txt
    : >"$list"
    for _ in $(seq 120); do echo "file '$minute'" >>"$list"; done
    "${ff[@]}" -f concat -safe 0 -i "$list" -c copy "${@:2}"
    rm -f "$list"
}

x264() {  # size rate seconds preset out
    "${ff[@]}" -f lavfi -i "testsrc2=size=$1:rate=$2" "${sound[@]}" -t "$3" \
        -c:v libx264 -preset "$4" -pix_fmt yuv420p -c:a aac -b:a 128k -shortest "$5"
}

make h264-1920x1080-60-30s.mp4 x264 1920x1080 60 30 ultrafast
make h264-3840x2160-30-20s.mp4 x264 3840x2160 30 20 ultrafast
hevc() {
    "${ff[@]}" -f lavfi -i testsrc2=size=3840x2160:rate=30 "${sound[@]}" -t 20 \
        -c:v libx265 -preset ultrafast -x265-params log-level=error -tag:v hvc1 -pix_fmt yuv420p \
        -c:a aac -b:a 128k -shortest "$1"
}
make hevc-3840x2160-30-20s.mp4 hevc

make minute-h264-1280x720-30.mp4 x264 1280x720 30 60 veryfast
make h264-1280x720-30-2h.mp4 repeat "$cache/minute-h264-1280x720-30.mp4" -movflags +faststart
vcd() {
    "${ff[@]}" -f lavfi -i testsrc2=size=352x288:rate=25 "${sound[@]}" -t 60 -target pal-vcd "$1"
}
make minute-mpeg1-352x288-25.mpg vcd
make mpeg1-352x288-25-2h.mpg repeat "$cache/minute-mpeg1-352x288-25.mpg" -f vcd
