// The keys and menu entries that go beyond playing a file, on the real control.
#include "test_mpv_media.h"

#include "MpvControl.h"
#include "MpvWatching.h"
#include "Resume.h"
#include "support/Fakes.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>

using namespace std::chrono_literals;

namespace {

constexpr const char* App = "Quorvel Movie";

class WatchingTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        control.OpenComplete = [this] { ++opened; };
        control.KeyPress = [this](std::int16_t& code) { keys.push_back(code); };
        QObject::connect(&control.watching(), &media::MpvWatching::messageShown,
                         [this](const QString& text) { messages.push_back(text); });
    }

    void open(const std::string& path)
    {
        const int before = opened;
        control.MediaFile(path);
        ASSERT_TRUE(waitFor([&] { return opened > before; })) << path;
    }

    // A key as the user types it at the control.
    void type(const QString& text)
    {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
        QApplication::sendEvent(&control, &press);
    }

    bool said(const QString& start) const
    {
        return std::any_of(messages.begin(), messages.end(), [&](const QString& text) { return text.startsWith(start); });
    }

    fakes::SystemMetrics screen{1024, 768};
    TestPaths paths;
    media::MpvControl control{screen, paths};
    int opened = 0;
    std::vector<std::int16_t> keys;
    std::vector<QString> messages;
};

TEST_F(WatchingTest, SpeedAndSyncKeysActAndStillReachTheWindowOnce)
{
    open(clip("tracks.mkv"));
    type("]");
    type("]");
    ASSERT_TRUE(waitFor([&] { return std::abs(control.watching().speed() - 1.21) < 1e-6; }))
        << control.watching().speed();
    type("{");
    ASSERT_TRUE(waitFor([&] { return std::abs(control.watching().speed() - 0.605) < 1e-6; }));
    type("\\");
    ASSERT_TRUE(waitFor([&] { return control.watching().speed() == 1.0; }));
    for (const char* key : {"z", "x", "-", "+", "r", ">", "<"})
        type(key);
    EXPECT_EQ(keys, (std::vector<std::int16_t>{']', ']', '{', '\\', 'z', 'x', '-', '+', 'r', '>', '<'}));
}

TEST_F(WatchingTest, APlaceLeftIsOfferedNextTimeAndRGoesThere)
{
    fakes::SettingsStore store;
    store.SaveSetting(App, "Recent Files", "0", "/films/kept.mpg");
    control.rememberPlacesIn(store, App, [](const std::string& text) { ADD_FAILURE() << text; });
    const std::string film = clip("tracks.mkv");
    open(film);
    control.seekTo(10.5);
    ASSERT_TRUE(waitFor([&] { return std::abs(control.position() - 10.5) < 0.05; })) << control.position();
    // Closed part-way by another file: kept, and nothing else in the store touched.
    open(clip("clip.mpg"));
    const auto kept = media::parseResumeEntry(store.GetSetting(App, "Resume Positions", "0", ""));
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->path, film);
    EXPECT_NEAR(kept->seconds, 10.5, 0.05);
    EXPECT_EQ(store.GetSetting(App, "Recent Files", "0", ""), "/films/kept.mpg");

    // Opened again: it starts at the beginning, and the place is offered.
    messages.clear();
    open(film);
    EXPECT_LT(control.position(), 1.0);
    ASSERT_TRUE(control.watching().resumeOffer());
    EXPECT_TRUE(said("Resume from 0:00:10")) << (messages.empty() ? "" : messages.back().toStdString());
    type("r");
    EXPECT_TRUE(waitFor([&] { return std::abs(control.position() - 10.5) < 0.05; })) << control.position();

    // Stopped in its first seconds: the kept place stays.
    control.seekTo(2);
    ASSERT_TRUE(waitFor([&] { return std::abs(control.position() - 2) < 0.05; }));
    control.stop();
    EXPECT_EQ(store.GetSetting(App, "Resume Positions", "0", ""), media::resumeEntryText(*kept));
    // Watched to its end: forgotten.
    control.seekTo(11.7);
    ASSERT_TRUE(waitFor([&] { return std::abs(control.position() - 11.7) < 0.05; }));
    open(clip("clip.mpg"));
    EXPECT_EQ(store.GetSetting(App, "Resume Positions", "0", ""), "");
}

TEST_F(WatchingTest, ResumeAutomaticallyStartsThereWithoutBeingAsked)
{
    fakes::SettingsStore store;
    const std::string film = clip("tracks.mkv");
    struct stat info {};
    ASSERT_EQ(::stat(film.c_str(), &info), 0);
    const QFileInfo file(QString::fromStdString(film));
    store.SaveSetting(App, "Resume Positions", "0",
                      media::resumeEntryText({film, 7.0, {file.size(), file.lastModified().toMSecsSinceEpoch()}}));
    store.SaveSetting(App, "Preferences", "ResumeAutomatically", "1");
    control.rememberPlacesIn(store, App, [](const std::string& text) { ADD_FAILURE() << text; });
    QObject guard; // the connections below end with the test's locals
    bool firstFrame = false;
    QObject::connect(&control, &media::MpvControl::firstFrameShown, &guard, [&] { firstFrame = true; });
    control.resize(320, 240 + control.panelsHeight());
    control.show();
    open(film);
    ASSERT_TRUE(waitFor([&] { return firstFrame; }));
    // The first position mpv reports is the first picture's: never the beginning.
    ASSERT_TRUE(waitFor([&] { return control.position() > 0; }));
    EXPECT_NEAR(control.position(), 7.0, 0.1);
    EXPECT_TRUE(said("Resumed from 0:00:07")); // not offered: already there

    // The next file starts at its beginning again.
    open(clip("clip.mpg"));
    EXPECT_LT(control.position(), 0.5);
}

TEST_F(WatchingTest, NextFileGoesInNaturalOrderAndStopsAtTheEnd)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString();
    for (const char* name : {"Ep 1.avi", "Ep 2.avi", "Ep 10.avi"})
        std::filesystem::copy_file(clip("clip.avi"), folder + "/" + name);
    std::vector<std::string> asked;
    QObject guard;
    QObject::connect(&control, &media::MpvControl::fileRequested, &guard, [&](const std::string& path) { asked.push_back(path); });
    open(folder + "/Ep 2.avi");
    type(">");
    ASSERT_TRUE(waitFor([&] { return asked.size() == 1; }));
    EXPECT_EQ(asked[0], folder + "/Ep 10.avi");
    open(asked[0]);
    type(">");
    ASSERT_TRUE(waitFor([&] { return said("This is the last file in the folder"); }));
    type("<");
    ASSERT_TRUE(waitFor([&] { return asked.size() == 2; }));
    EXPECT_EQ(asked[1], folder + "/Ep 2.avi");

    // The end of a file stops it, unless Play Next File at End is on: at the
    // last file a step would say so, and only the key's own step below comes.
    open(folder + "/Ep 10.avi");
    messages.clear();
    control.play();
    ASSERT_TRUE(waitFor([&] { return control.playback() == media::MpvControl::Playback::Stopped; }));
    type("<");
    ASSERT_TRUE(waitFor([&] { return asked.size() == 3; }));
    EXPECT_FALSE(said("This is the last file in the folder"));
    control.watching().setPlayNextAtEnd(true);
    open(folder + "/Ep 1.avi");
    control.play();
    ASSERT_TRUE(waitFor([&] { return asked.size() == 4; }));
    EXPECT_EQ(asked[3], folder + "/Ep 2.avi");
}

TEST_F(WatchingTest, ScreenshotsAreSavedAsPngOrTheFolderProblemIsSaid)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    control.watching().setPicturesFolder(dir.path());
    std::optional<std::pair<QString, QString>> taken;
    QObject guard;
    QObject::connect(&control.watching(), &media::MpvWatching::screenshotTaken, &guard,
                     [&](const QString& file, const QString& error) { taken.emplace(file, error); });
    open(clip("tracks.mkv"));
    control.seekTo(3);
    ASSERT_TRUE(waitFor([&] { return std::abs(control.position() - 3) < 0.05; }));
    type("s");
    ASSERT_TRUE(waitFor([&] { return taken.has_value(); }));
    EXPECT_EQ(taken->second, QString());
    EXPECT_EQ(QFileInfo(taken->first).fileName(), QStringLiteral("tracks 0-00-03.png"));
    QFile png(taken->first);
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    EXPECT_EQ(png.read(8), QByteArray("\x89PNG\r\n\x1a\n", 8));

    // A Pictures "folder" that is a file cannot be written, even by root.
    taken.reset();
    const QString blocked = dir.path() + QStringLiteral("/not-a-folder");
    std::ofstream(blocked.toStdString()) << "x";
    control.watching().setPicturesFolder(blocked);
    type("s");
    ASSERT_TRUE(waitFor([&] { return taken.has_value(); }));
    EXPECT_TRUE(taken->second.contains("cannot be written")) << taken->second.toStdString();
    EXPECT_TRUE(said("Screenshot not saved"));
    // Playback goes on.
    control.play();
    const double at = control.position();
    EXPECT_TRUE(waitFor([&] { return control.position() > at + 0.2; }));
}

TEST_F(WatchingTest, ADroppedSubtitleIsAddedOnlyWhileAFilePlays)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string subtitle = dir.path().toStdString() + "/extra.srt";
    std::ofstream(subtitle) << "1\n00:00:00,000 --> 00:00:12,000\nExtra words\n";
    const std::string binary = dir.path().toStdString() + "/damaged.srt";
    std::ofstream(binary, std::ios::binary) << std::string("\x00\x01\xff\xfe garbage \x00", 14);

    EXPECT_FALSE(control.AddSubtitle(subtitle)); // nothing plays: opened as media, as before
    open(clip("tracks.mkv"));
    EXPECT_FALSE(control.AddSubtitle(clip("clip.mpg")));
    ASSERT_TRUE(control.AddSubtitle(subtitle));
    ASSERT_TRUE(waitFor([&] { return said("Subtitle: extra.srt"); }));
    EXPECT_TRUE(waitFor([&] {
        return std::count_if(control.tracks().begin(), control.tracks().end(),
                             [](const media::Track& track) { return track.kind == media::Track::Kind::Subtitle; }) >= 2;
    }));
    ASSERT_TRUE(control.AddSubtitle(binary));
    EXPECT_TRUE(waitFor([&] { return said("Cannot load the subtitle damaged.srt") || said("Subtitle: damaged.srt"); }));
    control.play();
    const double at = control.position();
    EXPECT_TRUE(waitFor([&] { return control.position() > at + 0.2; }));
}

} // namespace
