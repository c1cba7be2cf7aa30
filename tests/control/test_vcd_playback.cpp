// Every track of the test Video CD plays to its end through the real media
// control, read straight from the disc image (nothing mounted), with the
// length and frame count of the stream that was put on the disc.
#include "test_mpv_media.h"

#include "DriveMap.h"
#include "LinuxMediaPaths.h"
#include "MpvControl.h"
#include "support/Fakes.h"
#include "support/VcdDiscs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The number of pictures in an MPEG file, as ffprobe counts them by decoding.
int framesIn(const fs::path& file)
{
    const std::string command = "ffprobe -v error -select_streams v:0 -count_frames -show_entries "
                                "stream=nb_read_frames -of csv=p=0 '" +
                                file.string() + "'";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    int frames = -1;
    if (std::fscanf(pipe, "%d", &frames) != 1)
        frames = -1;
    ::pclose(pipe);
    return frames;
}

struct Track {
    std::string path;  // as the player hands it over
    std::string given; // the stream that was put on the disc
};

void PrintTo(const Track& track, std::ostream* out)
{
    *out << track.path;
}

class VcdPlaybackTest : public ::testing::TestWithParam<Track> {};

struct Ending {
    double position = 0; // seconds
    std::string frame;   // the position display in frames
    qint64 took = 0;     // milliseconds from the start of playback
};

// Opens the path, plays it and waits for the end, where the control pauses
// on the last picture (keep-open).
Ending playToEnd(media::MpvControl& control, const std::string& path, double length)
{
    int opened = 0;
    control.OpenComplete = [&] { ++opened; };
    control.DisplayUnit(1);
    control.MediaFile(path);
    if (!waitFor([&] { return opened == 1; })) {
        ADD_FAILURE() << path << " did not open: " << control.displayText().toStdString();
        return {};
    }
    EXPECT_EQ(control.MediaFile(), path);
    control.MovieSize(0);
    EXPECT_EQ(control.Width(), 352 * 15.0f) << path;

    QElapsedTimer clock;
    clock.start();
    control.StartPlayback();
    EXPECT_TRUE(waitFor([&] { return !control.paused(); })) << path;
    const bool ended = waitFor([&] { return control.paused() && control.position() > length - 0.5; },
                               std::chrono::milliseconds(static_cast<int>(length * 1000) + 15000));
    EXPECT_TRUE(ended) << path << " stopped at " << control.position() << " s of " << length;
    const qint64 took = clock.elapsed();
    settle(std::chrono::milliseconds(200));
    return {control.position(), control.displayText().toStdString(), took};
}

TEST_P(VcdPlaybackTest, PlaysToItsEndWithEveryFrameOfItsStream)
{
    const fs::path& discs = vcdDiscs();
    std::ostringstream warnings;
    const auto drives =
        platform::DriveMap::fromText("D=" + (discs / "video.cue").string() + ";E=" + (discs / "music.cue").string() +
                                         ";F=" + (discs / "upper").string(),
                                     warnings);
    platform::LinuxMediaPaths paths(drives);
    fakes::SystemMetrics screen{1024, 768};
    media::MpvControl control(screen, paths);

    const fs::path given = discs / GetParam().given;
    const int frames = framesIn(given);
    ASSERT_GT(frames, 25) << given;
    const double length = frames / 25.0;

    const Ending track = playToEnd(control, GetParam().path, length);
    const Ending original = playToEnd(control, given.string(), length);

    // The track ends where the stream given to vcdimager ends, on the same picture.
    EXPECT_NEAR(track.position, original.position, 0.001);
    EXPECT_EQ(track.frame, original.frame);
    EXPECT_NEAR(track.position, length, 0.05);
    const int lastShown = std::stoi(track.frame);
    EXPECT_TRUE(lastShown == frames - 1 || lastShown == frames) << track.frame << " of " << frames << " frames";
    // It played in time, picture by picture, and did not jump to the end.
    EXPECT_GT(track.took, static_cast<qint64>(length * 1000 * 0.8));
}

std::string trackName(const ::testing::TestParamInfo<Track>& info)
{
    const std::vector<std::string> names{"VideoTrack1", "VideoTrack2", "VideoTrack3", "MusicTrack1", "FolderTrack2"};
    return names.at(info.index);
}

INSTANTIATE_TEST_SUITE_P(Tracks, VcdPlaybackTest,
                         ::testing::Values(Track{"D:\\mpegav\\avseq01.dat", "track1.mpg"},
                                           Track{"D:\\mpegav\\avseq02.dat", "track2.mpg"},
                                           Track{"D:\\mpegav\\avseq03.dat", "track3.mpg"},
                                           Track{"E:\\mpegav\\music01.dat", "music1.mpg"},
                                           Track{"F:\\mpegav\\avseq02.dat", "track2.mpg"}),
                         trackName);

} // namespace
