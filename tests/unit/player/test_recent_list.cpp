// The recent-files list: five slots in the settings file, mirrored in the
// File > Recent Files menu, with the real store in a temporary config folder.
#include "support/StoreFaults.h"
#include "support/StoreHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;
using Flags = std::vector<bool>;

const Strings Five = {"/films/a.mpg", "/films/b.avi", "/films/c.mov", "/films/d.mp3", "/films/e.dat"};

// A list filled in an earlier run.
void fill(TempConfigHome& home, const Strings& paths)
{
    StoreHarness earlier(home);
    earlier.load();
    for (const std::string& path : paths)
        earlier.open(path);
}

Strings stored(StoreHarness& h)
{
    Strings result;
    for (int i = 0; i < 5; ++i)
        result.push_back(h.slot(i));
    return result;
}

} // namespace

TEST(RecentList, FirstRunCreatesFiveEmptyKeysAndLeavesTheMenuDisabled)
{
    TempConfigHome home;
    StoreHarness h(home);
    h.load();

    EXPECT_EQ(stored(h), Strings(5, ""));
    EXPECT_EQ(home.iniBytes(), "[Recent%20Files]\n0=\n1=\n2=\n3=\n4=\n");
    EXPECT_FALSE(h.f().poprec.Enabled());
    EXPECT_EQ(h.shown(), (Flags{true, false, false, false, false}));
    EXPECT_EQ(h.captions(), Strings(5, ""));
    EXPECT_TRUE(h.boxes.shown.empty());

    // The next start finds the empty keys and writes them again, changing nothing.
    StoreHarness again(home);
    again.load();
    EXPECT_EQ(home.iniBytes(), "[Recent%20Files]\n0=\n1=\n2=\n3=\n4=\n");
    EXPECT_FALSE(again.f().poprec.Enabled());
}

TEST(RecentList, EachOpenIsRecordedAfterPlaybackStartsAndWrittenBeforeTheMenuChanges)
{
    TempConfigHome home;
    StoreHarness h(home);
    h.load();
    h.watch();
    h.open("/films/a.mpg");

    EXPECT_EQ(stored(h), (Strings{"/films/a.mpg", "", "", "", ""}));
    EXPECT_TRUE(h.f().poprec.Enabled());
    EXPECT_EQ(h.shown(), (Flags{true, false, false, false, false}));
    EXPECT_EQ(h.captions(), (Strings{"/films/a.mpg", "", "", "", ""}));
    EXPECT_EQ(h.mov1.log, (Strings{"MediaFile=/films/a.mpg", "ful.Enabled=true", "sett.Enabled=true", "MovieSize=3",
                                   "StartPlayback", "get 0", "save 0=/films/a.mpg", "poprec.Enabled=true",
                                   "rec0.Caption=/films/a.mpg"}));

    h.mov1.log.clear();
    h.open("/films/b.avi");
    EXPECT_EQ(h.mov1.log, (Strings{"MediaFile=/films/b.avi", "MovieSize=3", "StartPlayback", "get 0", "get 1",
                                   "save 1=/films/b.avi", "rec1.Visible=true", "rec1.Caption=/films/b.avi"}));
}

TEST(RecentList, NewPathsTakeTheLowestEmptySlotInOrder)
{
    TempConfigHome home;
    StoreHarness h(home);
    h.load();
    h.open("/films/a.mpg");
    h.open("/films/b.avi");
    h.open("/films/c.mov");

    EXPECT_EQ(stored(h), (Strings{"/films/a.mpg", "/films/b.avi", "/films/c.mov", "", ""}));
    EXPECT_EQ(h.captions(), (Strings{"/films/a.mpg", "/films/b.avi", "/films/c.mov", "", ""}));
    EXPECT_EQ(h.shown(), (Flags{true, true, true, false, false}));
}

TEST(RecentList, APathAlreadyListedWritesNothingAndKeepsItsSlot)
{
    TempConfigHome home;
    StoreHarness h(home);
    h.load();
    h.open("/films/a.mpg");
    h.open("/films/b.avi");
    const QByteArray before = home.iniBytes();
    const int saves = h.store.saves();

    h.open("/films/b.avi");
    h.open("/films/a.mpg");
    EXPECT_EQ(h.store.saves(), saves);
    EXPECT_EQ(home.iniBytes(), before);
    EXPECT_EQ(h.captions(), (Strings{"/films/a.mpg", "/films/b.avi", "", "", ""}));
}

TEST(RecentList, APathInTheLastSlotOfAFullListIsNotMovedUp)
{
    TempConfigHome home;
    fill(home, Five);
    StoreHarness h(home);
    h.load();
    EXPECT_EQ(h.captions(), Five);
    EXPECT_EQ(h.shown(), Flags(5, true));
    const QByteArray before = home.iniBytes();
    const int saves = h.store.saves();

    h.pickRecent(4);
    EXPECT_EQ(h.mov1.MediaFile(), "/films/e.dat");
    h.completeOpen();
    EXPECT_EQ(h.store.saves(), saves);
    EXPECT_EQ(home.iniBytes(), before);
    EXPECT_EQ(h.captions(), Five);
}

TEST(RecentList, PathsAreComparedExactlySoADifferentSpellingIsANewEntry)
{
    TempConfigHome home;
    StoreHarness h(home);
    h.load();
    h.open("/films/Clip.mpg");
    h.open("/films/clip.mpg");
    h.open("/films/clip.mpg ");
    h.open("/films/./clip.mpg");
    EXPECT_EQ(stored(h), (Strings{"/films/Clip.mpg", "/films/clip.mpg", "/films/clip.mpg ", "/films/./clip.mpg", ""}));
}

TEST(RecentList, ASixthPathGoesOnTopAndTheOldestFallsOut)
{
    TempConfigHome home;
    fill(home, Five);
    StoreHarness h(home);
    h.load();
    h.watch();
    h.mov1.log.clear();

    h.open("/films/f.mpg");
    const Strings shifted = {"/films/f.mpg", "/films/a.mpg", "/films/b.avi", "/films/c.mov", "/films/d.mp3"};
    EXPECT_EQ(stored(h), shifted);
    EXPECT_EQ(h.captions(), shifted);
    EXPECT_EQ(home.iniBytes().indexOf("e.dat"), -1);

    // All five read before the first write, and all five written, as one
    // replace of the file, before the first caption; no enabled or visible
    // state is touched.
    const Strings expected = {
        "MediaFile=/films/f.mpg",
        "ful.Enabled=true",
        "sett.Enabled=true",
        "MovieSize=3",
        "StartPlayback",
        "get 0",
        "get 1",
        "get 2",
        "get 3",
        "get 4",
        "save 0=/films/f.mpg",
        "save 1=/films/a.mpg",
        "save 2=/films/b.avi",
        "save 3=/films/c.mov",
        "save 4=/films/d.mp3",
        "rec0.Caption=/films/f.mpg",
        "rec1.Caption=/films/a.mpg",
        "rec2.Caption=/films/b.avi",
        "rec3.Caption=/films/c.mov",
        "rec4.Caption=/films/d.mp3",
    };
    EXPECT_EQ(h.mov1.log, expected);
}

TEST(RecentList, AStoreWithAGapShowsTwoItemsAndThenRecordsAPathTwice)
{
    TempConfigHome home;
    home.writeIni("[Recent%20Files]\n0=/films/q.mpg\n3=/films/p.mpg\n");
    StoreHarness h(home);
    h.load();

    EXPECT_TRUE(h.f().poprec.Enabled());
    EXPECT_EQ(h.shown(), (Flags{true, false, false, true, false}));
    EXPECT_EQ(h.captions(), (Strings{"/films/q.mpg", "", "", "/films/p.mpg", ""}));
    EXPECT_EQ(stored(h), (Strings{"/films/q.mpg", "", "", "/films/p.mpg", ""}));

    // The first slot that holds the path or is empty decides, so P goes into
    // slot 1 and the later slots are never read.
    h.store.calls.clear();
    h.open("/films/p.mpg");
    EXPECT_EQ(h.store.calls, (Strings{"get 0", "get 1", "save 1=/films/p.mpg"}));
    EXPECT_EQ(stored(h), (Strings{"/films/q.mpg", "/films/p.mpg", "", "/films/p.mpg", ""}));
    EXPECT_EQ(h.shown(), (Flags{true, true, false, true, false}));
    EXPECT_EQ(h.captions(), (Strings{"/films/q.mpg", "/films/p.mpg", "", "/films/p.mpg", ""}));
}

TEST(RecentList, RecordingFollowsTheStoreNotTheMenu)
{
    TempConfigHome home;
    StoreHarness h(home);
    h.load();
    // Another running copy records a file; this copy's menu learns of it only at its next start.
    platform::IniSettingsStore other;
    other.SaveSetting(player::AppName, player::RecentSection, "0", "/films/theirs.mpg");

    h.open("/films/mine.mpg");
    EXPECT_EQ(stored(h), (Strings{"/films/theirs.mpg", "/films/mine.mpg", "", "", ""}));
    EXPECT_EQ(h.captions(), (Strings{"", "/films/mine.mpg", "", "", ""}));
    EXPECT_EQ(h.shown(), (Flags{true, true, false, false, false}));
}

TEST(RecentList, TheListSurvivesARestartAndAPickPlaysTheCaption)
{
    TempConfigHome home;
    fill(home, {"/films/a.mpg", "/films/my film (2).mpg"});

    StoreHarness h(home);
    h.load();
    EXPECT_EQ(h.captions(), (Strings{"/films/a.mpg", "/films/my film (2).mpg", "", "", ""}));
    h.watch();
    h.pickRecent(1);
    EXPECT_EQ(h.mov1.log, (Strings{"MediaFile=/films/my film (2).mpg", "Mov1.Visible=true"}));
    EXPECT_TRUE(h.mov1.Visible());
}

TEST(RecentList, APickDuringAVideoCdTrackLeavesTheTrackNumber)
{
    TempConfigHome home;
    fill(home, {"/films/a.mpg"});
    StoreHarness h(home);
    h.load();
    h.f().vcdtrack = 3;
    h.f().vcdvideo = true;

    h.pickRecent(0);
    EXPECT_EQ(h.f().vcdtrack, 3);
    EXPECT_EQ(h.mov1.MediaFile(), "/films/a.mpg");
    h.completeOpen();
    EXPECT_EQ(h.f().vcdtrack, 3);
    EXPECT_EQ(stored(h), (Strings{"/films/a.mpg", "", "", "", ""}));
}

TEST(RecentList, AVanishedFileGivesOneMessageAndStaysInTheList)
{
    TempConfigHome home;
    fill(home, {"/films/gone.mpg", "/films/b.avi"});
    StoreHarness h(home);
    h.load();
    h.mov1.refused.insert("/films/gone.mpg");

    h.pickRecent(0);
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_NE(h.boxes.shown[0].find("/films/gone.mpg"), std::string::npos);
    EXPECT_FALSE(h.mov1.Visible());
    EXPECT_EQ(h.captions(), (Strings{"/films/gone.mpg", "/films/b.avi", "", "", ""}));
    EXPECT_EQ(stored(h), (Strings{"/films/gone.mpg", "/films/b.avi", "", "", ""}));

    // The window goes on: the other entry still plays.
    h.pickRecent(1);
    EXPECT_EQ(h.mov1.MediaFile(), "/films/b.avi");
    EXPECT_TRUE(h.mov1.Visible());
}

TEST(RecentList, AStoreThatCannotBeWrittenLeavesTheFileAndTheMenuAsTheyWere)
{
    TempConfigHome home;
    fill(home, Five);
    StoreHarness h(home);
    h.load();
    const QByteArray before = home.iniBytes();

    {
        const FileSizeLimit full(static_cast<rlim_t>(before.size()));
        h.open("/films/" + std::string(200, 'x') + ".mpg");
    }
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_NE(h.boxes.shown[0].find("Quorvel Movie.ini"), std::string::npos) << h.boxes.shown[0];
    EXPECT_EQ(home.iniBytes(), before);
    EXPECT_EQ(h.captions(), Five);
    // Playback had started before the list was written.
    EXPECT_EQ(h.mov1.log.back(), "StartPlayback");
}

TEST(RecentList, ADiskThatFillsDuringTheShiftKeepsTheWholeListAndSaysWhy)
{
    // A long newest entry and a short next one: written slot by slot, slot 0
    // would still fit and slot 1 would not, losing the newest entry.
    const Strings list = {"/films/" + std::string(150, 'a') + ".mpg", "/f/b.avi", "/f/c.mov", "/f/d.mp3", "/f/e.dat"};
    TempConfigHome home;
    fill(home, list);
    StoreHarness h(home);
    h.load();
    const QByteArray before = home.iniBytes();
    const std::string newest = "/films/" + std::string(100, 'n') + ".mpg";
    const rlim_t slotZeroOnly = static_cast<rlim_t>(before.size() + newest.size() - list[0].size());

    {
        const FileSizeLimit full(slotZeroOnly);
        h.open(newest);
    }
    EXPECT_EQ(home.iniBytes(), before);
    EXPECT_EQ(h.captions(), list);
    ASSERT_EQ(h.boxes.shown.size(), 1u);
    EXPECT_NE(h.boxes.shown[0].find("File too large"), std::string::npos) << h.boxes.shown[0];

    // Not even the lock file fits: the message still gives the system's reason.
    {
        const FileSizeLimit full(0);
        h.open(newest);
    }
    EXPECT_EQ(home.iniBytes(), before);
    ASSERT_EQ(h.boxes.shown.size(), 2u);
    EXPECT_NE(h.boxes.shown[1].find("File too large"), std::string::npos) << h.boxes.shown[1];
}
