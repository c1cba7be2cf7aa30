#!/usr/bin/env bash
# Makes the small test clips in the given folder, once; later calls reuse them.
#   clip.mpg  MPEG-1 program stream, 352x288, 25 fps, 3 s, with sound
#   clip.dat  the same bytes as clip.mpg
#   clip.avi  MPEG-4 part 2 in AVI, 320x240, 2 s
#   clip.mov  H.264 in QuickTime, 640x360, 2 s
#   clip.mp3  sound only, 2 s
#   garbage.mpg  random bytes; empty.mpg  no bytes
#   tracks.mkv  320x240, 12 s, two audio tracks (440 Hz "eng", 880 Hz "fra"),
#               with tracks.srt beside it: "Hello subtitles" from 0 to 12 s
set -euo pipefail
out=${1:?usage: make_media.sh DIR}
mkdir -p "$out"
cd "$out"
ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
# Made apart from the others, so that a folder made before they existed gets them too.
if [ ! -f .tracks-done ]; then
    ff -f lavfi -i testsrc=size=320x240:rate=25 -f lavfi -i sine=frequency=440:sample_rate=48000 \
       -f lavfi -i sine=frequency=880:sample_rate=48000 -t 12 -map 0:v -map 1:a -map 2:a \
       -c:v mpeg4 -c:a mp2 -metadata:s:a:0 language=eng -metadata:s:a:0 title=Low \
       -metadata:s:a:1 language=fra -metadata:s:a:1 title=High tracks.mkv
    printf '1\n00:00:00,000 --> 00:00:12,000\nHello subtitles\n' >tracks.srt
    touch .tracks-done
fi
[ -f .done ] && exit 0
ff -f lavfi -i testsrc=size=352x288:rate=25 -f lavfi -i sine=frequency=440:sample_rate=44100 -t 3 \
   -c:v mpeg1video -b:v 1500k -c:a mp2 -b:a 128k -f mpeg clip.mpg
cp clip.mpg clip.dat
ff -f lavfi -i testsrc=size=320x240:rate=25 -t 2 -c:v mpeg4 -f avi clip.avi
ff -f lavfi -i testsrc=size=640x360:rate=30 -t 2 -c:v libx264 -pix_fmt yuv420p -f mov clip.mov
ff -f lavfi -i sine=frequency=440:sample_rate=44100 -t 2 -c:a libmp3lame -b:a 64k clip.mp3
head -c 200000 /dev/urandom > garbage.mpg
: > empty.mpg
touch .done
