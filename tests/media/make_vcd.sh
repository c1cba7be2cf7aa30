#!/usr/bin/env bash
# Makes the Video CD test discs in the given folder, once; later calls reuse them.
#   video.cue/.bin  a Video CD 2.0 of three tracks: MPEGAV/AVSEQ01.DAT to AVSEQ03.DAT
#                   hold track1.mpg (5 s), track2.mpg (3 s) and track3.mpg (2 s),
#                   each after 30 empty sectors and followed by 45 more
#   music.cue/.bin  a disc whose MPEGAV holds MUSIC01.DAT (music1.mpg, Mode 2
#                   Form 2) and no AVSEQ01.DAT
#   upper/          a folder standing for a mounted disc: MPEGAV/AVSEQ01.DAT to 03
#   lower/          the same with lower-case names: mpegav/avseq01.dat to 03
# The .mpg files are the MPEG-1 streams (PAL Video CD: 352x288, 25 fps) given
# to vcdimager; their frame counts are 125, 75, 50 and 50.
set -euo pipefail
out=${1:?usage: make_vcd.sh DIR}
mkdir -p "$out"
cd "$out"
# Tests may run side by side: one maker at a time, the others wait and reuse.
exec 9>.lock
flock 9
[ -f .done ] && exit 0

ff() { ffmpeg -hide_banner -loglevel error -y "$@"; }
clip() {  # clip NAME SOURCE SECONDS TONE
    ff -f lavfi -i "$2=size=352x288:rate=25" -f lavfi -i "sine=frequency=$4:sample_rate=44100" \
       -t "$3" -target pal-vcd "$1"
}
clip track1.mpg testsrc 5 440
clip track2.mpg smptebars 3 660
clip track3.mpg rgbtestsrc 2 880
clip music1.mpg testsrc2 2 330

# The tools talk even when all is well; their words are kept for a failure.
vcdimager -t vcd2 -l TESTVCD -c video.cue -b video.bin track1.mpg track2.mpg track3.mpg >vcdimager.log 2>&1 ||
    { cat vcdimager.log >&2; exit 1; }

# A music disc: MUSIC01.DAT is a Form 2 file of the image's own file system,
# given to vcdxbuild as whole 2336-byte sectors (8-byte subheader, 2324 data
# bytes, 4 spare). The Super Video CD class keeps its one required sequence in
# MPEG2/, so that MPEGAV holds no AVSEQ01.DAT.
perl -e '
    binmode STDIN; binmode STDOUT; local $/; my $d = <STDIN>; my $n = length $d;
    for (my $i = 0; $i < $n; $i += 2324) {
        my $last = $i + 2324 >= $n;
        my $sub = pack("C4", 1, 1, 0x62 | ($last ? 0x80 : 0), 0x0f);
        my $c = substr($d, $i, 2324);
        print $sub, $sub, $c, "\0" x (2324 - length $c), "\0" x 4;
    }' < music1.mpg > music01.2336
ff -f lavfi -i testsrc=size=480x576:rate=25 -f lavfi -i sine=frequency=220:sample_rate=44100 \
   -t 1 -target pal-svcd svcd1.mpg
cat > music.xml <<'XML'
<?xml version="1.0"?>
<!DOCTYPE videocd PUBLIC "-//GNU//DTD VideoCD//EN" "http://www.gnu.org/software/vcdimager/videocd.dtd">
<videocd xmlns="http://www.gnu.org/software/vcdimager/1.0/" class="svcd" version="1.0">
  <info><album-id>MUSIC</album-id><volume-count>1</volume-count><volume-number>1</volume-number></info>
  <pvd><volume-id>MUSICVCD</volume-id><system-id>CD-RTOS CD-BRIDGE</system-id></pvd>
  <filesystem>
    <folder><name>MPEGAV</name>
      <file src="music01.2336" format="mixed"><name>MUSIC01.DAT</name></file>
    </folder>
  </filesystem>
  <sequence-items><sequence-item src="svcd1.mpg" id="sequence-1"/></sequence-items>
</videocd>
XML
vcdxbuild -c music.cue -b music.bin music.xml >vcdxbuild.log 2>&1 || { cat vcdxbuild.log >&2; exit 1; }
rm -f music01.2336 svcd1.mpg

rm -rf upper lower
mkdir -p upper/MPEGAV lower/mpegav
for n in 1 2 3; do
    cp "track$n.mpg" "upper/MPEGAV/AVSEQ0$n.DAT"
    cp "track$n.mpg" "lower/mpegav/avseq0$n.dat"
done
touch .done
