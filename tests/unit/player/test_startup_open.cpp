// Start-up, File > Open and what every completed open does, with the real
// settings store in a temporary config folder.
#include "support/StoreHarness.h"

#include <gtest/gtest.h>

#include <QFile>

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

constexpr float ScreenTwipsWide = 1024 * 15.0f;
constexpr float ScreenTwipsHigh = 768 * 15.0f;

} // namespace

TEST(Startup, WithoutACommandLineTheWindowWaitsEmpty)
{
    TempConfigHome home;
    StoreHarness h(home);
    h.f().vcdtrack = 4;
    h.watch();
    h.load();

    EXPECT_FALSE(h.mov1.Visible());
    EXPECT_EQ(h.f().vcdtrack, 0);
    EXPECT_FALSE(h.f().ful.Enabled());
    EXPECT_FALSE(h.f().sett.Enabled());
    EXPECT_TRUE(h.boxes.shown.empty());
    // The control is hidden first, then the list is read; nothing is opened.
    ASSERT_FALSE(h.mov1.log.empty());
    EXPECT_EQ(h.mov1.log.front(), "Mov1.Visible=false");
    for (const std::string& entry : h.mov1.log)
        EXPECT_EQ(entry.rfind("MediaFile", 0), std::string::npos) << entry;
}

TEST(Startup, TheWholeCommandLineIsOnePathHandedOverUnchanged)
{
    for (const std::string commandLine :
         {"/films/my film.mpg", "\"/films/quoted.mpg\"", "/films/one.mpg /films/two.mpg", " /films/lead.mpg "}) {
        TempConfigHome home;
        StoreHarness h(home, commandLine);
        h.watch();
        h.load();

        EXPECT_EQ(h.mov1.MediaFile(), commandLine);
        EXPECT_TRUE(h.mov1.Visible());
        // Hidden, the list read (five reads, five empty slots written), the
        // path handed over, then shown.
        const Strings expected = {"Mov1.Visible=false",
                                  "get 0",
                                  "save 0=",
                                  "get 1",
                                  "save 1=",
                                  "get 2",
                                  "save 2=",
                                  "get 3",
                                  "save 3=",
                                  "get 4",
                                  "save 4=",
                                  "MediaFile=" + commandLine,
                                  "Mov1.Visible=true"};
        EXPECT_EQ(h.mov1.log, expected);
        // Nothing is recorded until the control reports the file open.
        EXPECT_EQ(h.slot(0), "");
    }
}

TEST(Startup, ACommandLineFileThatOpensIsPlayedAtAQuarterOfTheScreenAndRecorded)
{
    TempConfigHome home;
    StoreHarness h(home, "/films/my film.mpg");
    h.mov1.sizes[3] = {3840, 2880};
    h.load();
    h.completeOpen();

    EXPECT_TRUE(h.f().ful.Enabled());
    EXPECT_TRUE(h.f().sett.Enabled());
    EXPECT_EQ(h.mov1.movieSize, 3);
    EXPECT_EQ(h.mov1.log.back(), "StartPlayback");
    EXPECT_EQ(h.slot(0), "/films/my film.mpg");
    EXPECT_EQ(h.f().rec[0]->Caption(), "/films/my film.mpg");
    // The window fits round the control, centred on the screen.
    EXPECT_FLOAT_EQ(h.f().form.ScaleWidth(), 3840);
    EXPECT_FLOAT_EQ(h.f().form.ScaleHeight(), 2880);
    EXPECT_FLOAT_EQ(h.f().form.Left(), (ScreenTwipsWide - h.f().form.Width()) / 2);
    EXPECT_FLOAT_EQ(h.f().form.Top(), (ScreenTwipsHigh - h.f().form.Height()) / 2);
}

TEST(Startup, ACommandLineFileThatCannotBeOpenedGivesOneMessageAndAnEmptyWindow)
{
    TempConfigHome home;
    StoreHarness h(home, "/films/missing.mpg");
    h.mov1.refused.insert("/films/missing.mpg");
    h.load();

    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_NE(h.boxes.shown[0].find("/films/missing.mpg"), std::string::npos);
    EXPECT_FALSE(h.mov1.Visible());
    EXPECT_FALSE(h.f().ful.Enabled());
    EXPECT_EQ(h.slot(0), "");

    // The window is usable: File > Open plays another file.
    h.cdlg1.nextFile = "/films/other.mpg";
    h.chooseOpen();
    h.completeOpen();
    EXPECT_TRUE(h.mov1.Visible());
    EXPECT_EQ(h.slot(0), "/films/other.mpg");
}

TEST(Startup, ASettingsFileThatCannotBeMadeStopsStartUpWithAMessageNamingIt)
{
    TempConfigHome home;
    QFile blocker(home.root() + "/not a folder");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    home.point(home.root() + "/not a folder/config");
    StoreHarness h(home, "/films/a.mpg");
    h.load();

    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_NE(h.boxes.shown[0].find("Quorvel Movie.ini"), std::string::npos) << h.boxes.shown[0];
    // Start-up ends where the store failed: the file was not handed over.
    EXPECT_TRUE(h.mov1.log.empty());
    EXPECT_FALSE(h.mov1.Visible());
}

TEST(OpenCommand, AChosenFileEndsAnyVideoCdTrackAndIsHandedOver)
{
    TempConfigHome home;
    StoreHarness h(home);
    h.load();
    h.f().vcdtrack = 5;
    h.cdlg1.nextFile = "/films/chosen.mpg";
    h.watch();
    h.chooseOpen();

    EXPECT_EQ(h.cdlg1.opens, 1);
    EXPECT_EQ(h.f().vcdtrack, 0);
    EXPECT_EQ(h.mov1.log, (Strings{"MediaFile=/films/chosen.mpg", "Mov1.Visible=true"}));
    EXPECT_EQ(h.slot(0), "");
    h.completeOpen();
    EXPECT_EQ(h.slot(0), "/films/chosen.mpg");
}

TEST(OpenCommand, TheTrackNumberIsZeroBeforeTheFileReachesTheControl)
{
    TempConfigHome home;
    StoreHarness h(home);
    h.load();
    h.f().vcdtrack = 5;
    h.cdlg1.nextFile = "/films/refused.mpg";
    h.mov1.refused.insert("/films/refused.mpg");
    h.chooseOpen();

    // The control refused the path: the command ends quietly, the track
    // number was already 0 and the control stays as it was.
    EXPECT_EQ(h.f().vcdtrack, 0);
    EXPECT_EQ(h.mov1.log, Strings{"MediaFile=/films/refused.mpg"});
    EXPECT_FALSE(h.mov1.Visible());
    EXPECT_TRUE(h.boxes.shown.empty());
}

TEST(OpenCommand, ACancelledDialogChangesNothing)
{
    TempConfigHome home;
    StoreHarness h(home, "/films/playing.mpg");
    h.load();
    h.completeOpen();
    h.f().vcdtrack = 2;
    const QByteArray before = home.iniBytes();
    h.mov1.log.clear();
    h.cdlg1.nextFile = "";
    h.chooseOpen();

    EXPECT_EQ(h.cdlg1.opens, 1);
    EXPECT_EQ(h.f().vcdtrack, 2);
    EXPECT_TRUE(h.mov1.log.empty());
    EXPECT_EQ(h.mov1.MediaFile(), "/films/playing.mpg");
    EXPECT_TRUE(h.mov1.Visible());
    EXPECT_EQ(home.iniBytes(), before);
    EXPECT_TRUE(h.boxes.shown.empty());
}

TEST(OpenCommand, ADialogThatFailsEndsTheCommandQuietly)
{
    TempConfigHome home;
    StoreHarness h(home);
    h.load();
    h.f().vcdtrack = 2;
    h.cdlg1.openThrows = true;
    h.chooseOpen();

    EXPECT_EQ(h.f().vcdtrack, 2);
    EXPECT_TRUE(h.mov1.log.empty());
    EXPECT_TRUE(h.boxes.shown.empty());
}

TEST(OpenComplete, EnablesMenusSizesStartsPlaybackThenRecordsWhatTheControlReports)
{
    TempConfigHome home;
    StoreHarness h(home);
    h.load();
    h.watch();
    // A path handed over by any road: the one recorded is the control's.
    h.mov1.MediaFile("/films/from a track.dat");
    h.completeOpen();

    const Strings expected = {"MediaFile=/films/from a track.dat",
                              "ful.Enabled=true",
                              "sett.Enabled=true",
                              "MovieSize=3",
                              "StartPlayback",
                              "get 0",
                              "save 0=/films/from a track.dat",
                              "poprec.Enabled=true",
                              "rec0.Caption=/films/from a track.dat"};
    EXPECT_EQ(h.mov1.log, expected);
}

TEST(OpenComplete, EveryOpenReturnsToAQuarterOfTheScreen)
{
    TempConfigHome home;
    StoreHarness h(home);
    h.mov1.sizes[1] = {10560, 8640};
    h.mov1.sizes[3] = {3840, 2880};
    h.load();
    h.open("/films/a.mpg");
    h.f().double_Click();
    EXPECT_FLOAT_EQ(h.mov1.Width(), 10560);

    h.open("/films/b.mpg");
    EXPECT_EQ(h.mov1.movieSize, 3);
    EXPECT_FLOAT_EQ(h.mov1.Width(), 3840);
    EXPECT_FLOAT_EQ(h.f().form.ScaleWidth(), 3840);
    EXPECT_FLOAT_EQ(h.f().form.Left(), (ScreenTwipsWide - h.f().form.Width()) / 2);
}

TEST(OpenComplete, AStoreFailureComesAfterPlaybackHasStarted)
{
    TempConfigHome home;
    StoreHarness h(home);
    h.load();
    h.store.onCall = [](const std::string& call) {
        if (call.rfind("get", 0) == 0)
            throw forms::RuntimeError("The settings file cannot be read.");
    };
    h.open("/films/a.mpg");

    EXPECT_EQ(h.boxes.shown, Strings{"The settings file cannot be read."});
    EXPECT_EQ(h.mov1.log.back(), "StartPlayback");
    EXPECT_TRUE(h.f().ful.Enabled());
    EXPECT_TRUE(h.f().sett.Enabled());
    EXPECT_FALSE(h.f().poprec.Enabled());
}
