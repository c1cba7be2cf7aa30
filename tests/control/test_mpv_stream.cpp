// Media without a path of its own reaches mpv through the control's stream protocol.
#include "test_mpv_media.h"

#include "MpvControl.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

namespace {

TEST(MpvControlStream, PlaysAStreamBackedPath)
{
    fakes::SystemMetrics screen{1024, 768};
    TestPaths paths;
    const std::string track = "D:\\MPEGAV\\AVSEQ01.DAT";
    paths.streams[track] = clip("clip.mpg");
    media::MpvControl control(screen, paths);
    int opened = 0;
    control.OpenComplete = [&] { ++opened; };

    const int readsBefore = FileStream::reads;
    control.MediaFile(track);
    ASSERT_TRUE(waitFor([&] { return opened == 1; })) << control.displayText().toStdString();
    EXPECT_EQ(control.MediaFile(), track);
    EXPECT_GT(FileStream::reads, readsBefore);
    control.MovieSize(0);
    EXPECT_EQ(control.Width(), 352 * 15.0f);
    control.StartPlayback();
    EXPECT_TRUE(waitFor([&] { return control.position() > 0.5; }));
}

TEST(MpvControlStream, AStreamThatCannotOpenShowsWhy)
{
    fakes::SystemMetrics screen{1024, 768};
    TestPaths paths;
    const std::string track = "D:\\MPEGAV\\AVSEQ02.DAT";
    paths.streams[track] = (testMedia() / "gone.dat").string(); // FileStream throws on open
    media::MpvControl control(screen, paths);
    int opened = 0;
    control.OpenComplete = [&] { ++opened; };

    control.MediaFile(track);
    ASSERT_TRUE(waitFor([&] { return control.displayText().startsWith("Cannot play"); }));
    EXPECT_EQ(control.displayText().toStdString(),
              "Cannot play \"" + track + "\": cannot read " + (testMedia() / "gone.dat").string());
    EXPECT_EQ(opened, 0);
}

} // namespace
