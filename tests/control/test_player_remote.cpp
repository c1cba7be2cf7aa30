// The player as the desktop sees it, over the real media control: the status
// follows the transport bar, the screen is held exactly while a picture plays,
// and seeks are announced where they land.
#include "test_mpv_media.h"

#include "FileUri.h"
#include "HeadlessFormView.h"
#include "MpvControl.h"
#include "PlayerRemote.h"
#include "support/Fakes.h"

#include <QFile>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

using platform::PlaybackStatus;

// Records what the player asks of the screen saver.
struct Inhibitor : platform::ScreenSaverInhibitor {
    void inhibit(bool on) override
    {
        if (on != held)
            changes.push_back(on);
        held = on;
    }
    bool held = false;
    std::vector<bool> changes;
};

struct PlayerRemoteTest : ::testing::Test, fakes::Services {
    fakes::SystemMetrics screen{1024, 768};
    TestPaths paths;
    Inhibitor inhibitor;
    media::MpvControl control{screen, paths};
    player::Form1 form1{control, forForm1()};
    forms::HeadlessFormView view;
    QWidget window;
    app::PlayerRemote remote{control, form1, window};
    std::vector<std::int64_t> seeks;
    int changes = 0;

    void SetUp() override
    {
        view.connect(form1.form);
        form1.form.attach(view);
        form1.form.load();
        app::keepScreenOnWhilePlaying(control, inhibitor);
        remote.changed = [this] { ++changes; };
        remote.seeked = [this](std::int64_t at) { seeks.push_back(at); };
    }

    void openAndPlay(const std::string& path)
    {
        form1.form.viewFileDropped(path);
        ASSERT_TRUE(waitFor([&] { return remote.status() == PlaybackStatus::Playing; }))
            << path << ": " << (boxes.shown.empty() ? "" : boxes.shown.back());
    }

    void click(const char* name)
    {
        auto* button = control.findChild<QToolButton*>(name);
        ASSERT_NE(button, nullptr) << name;
        ASSERT_TRUE(button->isEnabled()) << name;
        button->click();
    }
};

TEST_F(PlayerRemoteTest, StatusAndScreenFollowTheTransportBarToTheEnd)
{
    EXPECT_EQ(remote.status(), PlaybackStatus::Stopped);
    EXPECT_FALSE(remote.canPlay());
    openAndPlay(clip("clip.mpg"));
    EXPECT_TRUE(inhibitor.held);
    EXPECT_TRUE(remote.canPlay() && remote.canPause() && remote.canSeek());
    EXPECT_EQ(remote.track().title, "clip.mpg");
    EXPECT_EQ(remote.track().lengthUs.value_or(0) / 100000, 30); // 3 s

    click("pause");
    ASSERT_TRUE(waitFor([&] { return remote.status() == PlaybackStatus::Paused; }));
    EXPECT_FALSE(inhibitor.held);
    click("play");
    ASSERT_TRUE(waitFor([&] { return remote.status() == PlaybackStatus::Playing; }));
    EXPECT_TRUE(inhibitor.held);
    click("stop");
    EXPECT_EQ(remote.status(), PlaybackStatus::Stopped);
    EXPECT_FALSE(inhibitor.held);

    // Played to the end: stopped on the last picture, the screen let go.
    ASSERT_TRUE(waitFor([&] { return control.paused(); })); // the play button is live again
    const int before = changes;
    click("play");
    ASSERT_TRUE(waitFor([&] { return inhibitor.held; }));
    ASSERT_TRUE(waitFor([&] { return remote.status() == PlaybackStatus::Stopped; }, std::chrono::seconds(15)));
    EXPECT_FALSE(inhibitor.held);
    EXPECT_EQ(inhibitor.changes, (std::vector<bool>{true, false, true, false, true, false}));
    EXPECT_GT(changes, before);
    // Nothing is announced as the position moves: a few changes, not one per frame.
    EXPECT_LT(changes - before, 20);
}

TEST_F(PlayerRemoteTest, SoundAloneNeverHoldsTheScreen)
{
    openAndPlay(clip("clip.mp3"));
    settle(std::chrono::milliseconds(300));
    EXPECT_TRUE(inhibitor.changes.empty());
    // A picture after the sound takes the screen; sound after the picture gives it back.
    openAndPlay(clip("clip.mpg"));
    EXPECT_TRUE(inhibitor.held);
    form1.form.viewFileDropped(clip("clip.mp3"));
    EXPECT_FALSE(inhibitor.held);
    ASSERT_TRUE(waitFor([&] { return remote.status() == PlaybackStatus::Playing; }));
    EXPECT_FALSE(inhibitor.held);
}

TEST_F(PlayerRemoteTest, SeeksAreAnnouncedWhereTheyLand)
{
    openAndPlay(clip("clip.mpg"));
    remote.pause();
    ASSERT_TRUE(waitFor([&] { return remote.status() == PlaybackStatus::Paused; }));
    seeks.clear();
    remote.setPositionUs(2000000);
    ASSERT_TRUE(waitFor([&] { return !seeks.empty(); }));
    EXPECT_NEAR(seeks.back(), 2000000, 40000);
    EXPECT_NEAR(remote.positionUs(), 2000000, 40000);
    EXPECT_EQ(control.displayText(), "0:00:02.0");
}

TEST_F(PlayerRemoteTest, TheUrlOfANameThatIsNotUtf8LeadsBackToTheFile)
{
    QTemporaryDir dir;
    const std::string folder = QFile::encodeName(dir.path()).toStdString();
    const std::string path = folder + "/caf\xe9 (1).mpg";
    std::filesystem::copy_file(clip("clip.mpg"), path);
    openAndPlay(path);
    EXPECT_EQ(remote.track().url, "file://" + folder + "/caf%E9%20(1).mpg");
    EXPECT_EQ(platform::localPathFromUri(QString::fromStdString(remote.track().url)), path);
    std::filesystem::remove(path); // QTemporaryDir cannot name it
}

TEST(TrackTitle, NamesFilesByTheirNameAndDiscTracksAsTracks)
{
    EXPECT_EQ(app::trackTitle("/home/me/films/my film.mpg"), "my film.mpg");
    EXPECT_EQ(app::trackTitle("D:\\mpegav\\avseq02.dat"), "Video CD track 2");
    EXPECT_EQ(app::trackTitle("e:\\MPEGAV\\MUSIC11.DAT"), "Video CD track 11");
    EXPECT_EQ(app::trackTitle("D:\\mpegav\\other.dat"), "other.dat");
    EXPECT_EQ(app::trackTitle("film.mpg"), "film.mpg");
    // A number too long for an int is a name, not a crash.
    EXPECT_EQ(app::trackTitle("D:\\mpegav\\avseq99999999999.dat"), "avseq99999999999.dat");
}

} // namespace
