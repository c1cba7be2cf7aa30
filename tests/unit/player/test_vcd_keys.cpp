// Video CD playback through the keys and the menu: finding the drive,
// recognising the disc, naming the tracks and stepping through them.
#include "support/Form1Harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr std::int16_t Enter = 13;
constexpr std::int16_t Backspace = 8;
const std::string NoVideoCd = "No Video CD found in your CDROM Drive !";

class VcdTest : public ::testing::Test {
  protected:
    // A CD-ROM drive at letter holding the video tracks given (a music disc
    // when music is set).
    void disc(const std::string& letter, std::vector<int> tracks, bool music = false)
    {
        h.drives.cdroms.insert(letter + ":");
        for (const int track : tracks)
            h.files.existing.insert(path(letter, track, music));
    }
    static std::string path(const std::string& letter, int track, bool music = false)
    {
        const std::string number = (track < 10 ? "0" : "") + std::to_string(track);
        return letter + ":\\mpegav\\" + (music ? "music" : "avseq") + number + ".dat";
    }

    // A key typed while the window has the focus, through the dispatcher as a user's would be.
    void type(std::int16_t key) { h.form().viewKeyPress(key); }

    // The paths handed to the control, in order.
    std::vector<std::string> handedOver() const
    {
        std::vector<std::string> paths;
        for (const auto& entry : h.mov1.log)
            if (entry.rfind("MediaFile=", 0) == 0)
                paths.push_back(entry.substr(10));
        return paths;
    }
    // Forget what has been recorded so far, to look at one step alone.
    void clearRecords()
    {
        h.mov1.log.clear();
        h.files.opened.clear();
        h.drives.asked.clear();
    }

    Form1Harness h;
};

TEST_F(VcdTest, WithoutAnyDriveNothingHappensAtAll)
{
    h.f().vcdtrack = 3;
    h.f().vcdvideo = true;
    type('V');
    h.f().vcd_Click();

    EXPECT_TRUE(h.boxes.shown.empty());
    EXPECT_TRUE(h.mov1.log.empty());
    EXPECT_TRUE(h.files.opened.empty());
    EXPECT_EQ(h.f().vcdtrack, 3);
    EXPECT_TRUE(h.f().vcdvideo);
    // Each search runs B: to Z:, and A: is never asked.
    ASSERT_EQ(h.drives.asked.size(), 50u);
    EXPECT_EQ(h.drives.asked.front(), "B:");
    EXPECT_EQ(h.drives.asked[24], "Z:");
    EXPECT_EQ(h.drives.asked[25], "B:");
    EXPECT_EQ(std::count(h.drives.asked.begin(), h.drives.asked.end(), "A:"), 0);
}

TEST_F(VcdTest, DriveAtAIsNeverFoundOneAtBIs)
{
    disc("A", {1, 2});
    type('v');
    EXPECT_TRUE(h.mov1.log.empty());
    EXPECT_TRUE(h.boxes.shown.empty());
    EXPECT_EQ(h.f().getCDROM(), "");

    disc("B", {1, 2});
    type('v');
    EXPECT_EQ(handedOver(), std::vector<std::string>{"B:\\mpegav\\avseq01.dat"});
    EXPECT_EQ(h.f().vcdtrack, 1);
    EXPECT_EQ(h.f().getCDROM(), "B");
}

TEST_F(VcdTest, TheLowerOfTwoDrivesIsUsedEvenWhenTheDiscIsInTheOther)
{
    h.drives.cdroms = {"E:", "D:"};
    h.files.existing = {path("E", 1), path("E", 2)};
    h.f().vcd_Click();

    EXPECT_EQ(h.boxes.shown, std::vector<std::string>{NoVideoCd});
    EXPECT_EQ(h.files.opened, (std::vector<std::string>{"D:\\mpegav\\avseq01.dat", "D:\\mpegav\\music01.dat"}));
    EXPECT_TRUE(h.mov1.log.empty());
    EXPECT_EQ(h.f().vcdtrack, 0);
}

TEST_F(VcdTest, AnEmptyDriveShowsTheMessageAndStopsTheTrackKeys)
{
    disc("D", {1, 2, 3});
    type('V');
    type(Enter);
    type(Enter);
    ASSERT_EQ(h.f().vcdtrack, 3);

    // The disc is taken out while track 3 plays.
    h.files.existing.clear();
    std::vector<int> trackWhileShown;
    h.boxes.onShow = [&](const std::string&) { trackWhileShown.push_back(h.f().vcdtrack); };
    clearRecords();
    type('V');

    EXPECT_EQ(h.boxes.shown, std::vector<std::string>{NoVideoCd});
    EXPECT_EQ(trackWhileShown, std::vector<int>{3}); // cleared only once the box is closed
    EXPECT_EQ(h.f().vcdtrack, 0);
    EXPECT_TRUE(h.f().vcdvideo);
    EXPECT_TRUE(h.mov1.log.empty());

    clearRecords();
    type(Enter);
    type(Backspace);
    EXPECT_TRUE(h.mov1.log.empty());
    EXPECT_TRUE(h.files.opened.empty());
}

TEST_F(VcdTest, ADiscWithUnknownFilesShowsTheMessageAlso)
{
    h.drives.cdroms = {"D:"};
    h.files.existing = {"D:\\MPEGAV\\AVSEQ01.DAT", "D:\\mpegav\\avseq1.dat", "D:\\mpeg2\\avseq01.mpg"};
    type('v');
    EXPECT_EQ(h.boxes.shown, std::vector<std::string>{NoVideoCd});
    EXPECT_EQ(h.f().vcdtrack, 0);
}

TEST_F(VcdTest, ADiscWithBothFirstFilesPlaysAsVideo)
{
    disc("D", {1, 2});
    disc("D", {1, 2}, true);
    h.f().vcd_Click();

    EXPECT_EQ(h.files.opened, std::vector<std::string>{"D:\\mpegav\\avseq01.dat"});
    EXPECT_EQ(handedOver(), std::vector<std::string>{"D:\\mpegav\\avseq01.dat"});
    EXPECT_TRUE(h.f().vcdvideo);
    type(Enter);
    EXPECT_EQ(handedOver().back(), "D:\\mpegav\\avseq02.dat");
}

TEST_F(VcdTest, AMusicDiscPlaysItsMusicTracks)
{
    h.f().vcdvideo = true;
    disc("D", {1, 2}, true);
    type('V');

    EXPECT_EQ(h.files.opened, (std::vector<std::string>{"D:\\mpegav\\avseq01.dat", "D:\\mpegav\\music01.dat"}));
    EXPECT_FALSE(h.f().vcdvideo);
    EXPECT_EQ(h.f().vcdtrack, 1);
    type(Enter);
    EXPECT_EQ(handedOver(), (std::vector<std::string>{"D:\\mpegav\\music01.dat", "D:\\mpegav\\music02.dat"}));
    type(Backspace);
    EXPECT_EQ(handedOver().back(), "D:\\mpegav\\music01.dat");
}

TEST_F(VcdTest, EnterAfterTheLastTrackPlaysTheFirstWithoutTestingIt)
{
    disc("D", {1, 2, 3});
    type('V');
    type(Enter);
    type(Enter);
    // Track 1 goes missing: the step back to it hands it over all the same.
    h.files.existing.erase(path("D", 1));
    clearRecords();
    type(Enter);

    EXPECT_EQ(h.files.opened, std::vector<std::string>{"D:\\mpegav\\avseq04.dat"});
    EXPECT_EQ(handedOver(), std::vector<std::string>{"D:\\mpegav\\avseq01.dat"});
    EXPECT_EQ(h.f().vcdtrack, 1);

    type(Enter);
    EXPECT_EQ(handedOver().back(), "D:\\mpegav\\avseq02.dat");
    EXPECT_EQ(h.f().vcdtrack, 2);
}

TEST_F(VcdTest, BackspaceOnTheFirstTrackOrOverAMissingFileDoesNothing)
{
    disc("D", {1, 2, 3, 5});
    type('V');
    clearRecords();
    type(Backspace);
    EXPECT_TRUE(h.mov1.log.empty());
    EXPECT_TRUE(h.files.opened.empty());
    EXPECT_EQ(h.f().vcdtrack, 1);

    h.f().vcdtrack = 5;
    type(Backspace);
    EXPECT_EQ(h.files.opened, std::vector<std::string>{"D:\\mpegav\\avseq04.dat"});
    EXPECT_TRUE(h.mov1.log.empty());
    EXPECT_EQ(h.f().vcdtrack, 5);

    h.f().vcdtrack = 3;
    type(Backspace);
    EXPECT_EQ(handedOver(), std::vector<std::string>{"D:\\mpegav\\avseq02.dat"});
    EXPECT_EQ(h.f().vcdtrack, 2);
}

TEST_F(VcdTest, TrackNamesHaveTwoDigitsUpToNineAndPlainNumbersAfter)
{
    disc("D", {9, 10});
    h.f().vcdvideo = true;
    h.f().vcdtrack = 9;
    type(Enter);
    EXPECT_EQ(handedOver(), std::vector<std::string>{"D:\\mpegav\\avseq10.dat"});
    EXPECT_EQ(h.f().vcdtrack, 10);
    type(Backspace);
    EXPECT_EQ(handedOver().back(), "D:\\mpegav\\avseq09.dat");
    EXPECT_EQ(h.f().vcdtrack, 9);

    const std::uint8_t hundred = 100, last = 255, first = 1;
    EXPECT_EQ(h.f().vcdname(hundred), "D:\\mpegav\\avseq100.dat");
    EXPECT_EQ(h.f().vcdname(last), "D:\\mpegav\\avseq255.dat");
    h.f().vcdvideo = false;
    EXPECT_EQ(h.f().vcdname(first), "D:\\mpegav\\music01.dat");

    // Without a drive the name is built all the same, from an empty drive letter.
    h.drives.cdroms.clear();
    EXPECT_EQ(h.f().vcdname(first), ":\\mpegav\\music01.dat");
}

TEST_F(VcdTest, VDuringPlaybackStartsAgainAtTrackOneAndTheKeyIsNotSwallowed)
{
    disc("D", {1, 2, 3});
    std::int16_t key = 'V';
    h.f().Form_KeyPress(key);
    type(Enter);
    type(Enter);
    ASSERT_EQ(h.f().vcdtrack, 3);

    key = 'v';
    h.f().Form_KeyPress(key);
    EXPECT_EQ(key, 'v');
    EXPECT_EQ(h.f().vcdtrack, 1);
    EXPECT_EQ(handedOver().back(), "D:\\mpegav\\avseq01.dat");

    // Other letters are no track keys.
    clearRecords();
    for (const std::int16_t other : std::vector<std::int16_t>{'x', 'W', ' ', '\t', 27}) {
        key = other;
        h.f().Form_KeyPress(key);
        EXPECT_EQ(key, other);
    }
    EXPECT_TRUE(h.mov1.log.empty());
    EXPECT_TRUE(h.drives.asked.empty());
}

TEST_F(VcdTest, KeysTypedIntoTheControlStepTheTracksOnce)
{
    disc("D", {1, 2, 3});
    EXPECT_EQ(h.mov1.typeKey('v'), 'v');
    EXPECT_EQ(h.mov1.typeKey(Enter), Enter);
    EXPECT_EQ(handedOver(), (std::vector<std::string>{"D:\\mpegav\\avseq01.dat", "D:\\mpegav\\avseq02.dat"}));
    EXPECT_EQ(h.mov1.typeKey(Backspace), Backspace);
    EXPECT_EQ(handedOver().size(), 3u);
    EXPECT_EQ(h.f().vcdtrack, 1);
}

TEST_F(VcdTest, EnterOnTrack255PlaysTrackOne)
{
    disc("D", {1, 255});
    h.f().vcdvideo = true;
    h.f().vcdtrack = 254;
    type(Enter);
    EXPECT_EQ(handedOver(), std::vector<std::string>{"D:\\mpegav\\avseq255.dat"});
    ASSERT_EQ(h.f().vcdtrack, 255);

    clearRecords();
    type(Enter);
    EXPECT_EQ(handedOver(), std::vector<std::string>{"D:\\mpegav\\avseq01.dat"});
    EXPECT_EQ(h.f().vcdtrack, 1);
    EXPECT_TRUE(h.files.opened.empty()); // no track 256 or 0 was looked for
    EXPECT_TRUE(h.boxes.shown.empty());
}

TEST_F(VcdTest, ARefusedTrackIsShownAndTheTrackNumberKeepsItsStep)
{
    disc("D", {1, 2, 3});
    type('V');
    h.mov1.refused = {path("D", 2)};
    h.mov1.typeKey(Enter);

    EXPECT_EQ(h.boxes.shown, std::vector<std::string>{"Cannot open D:\\mpegav\\avseq02.dat"});
    EXPECT_EQ(h.f().vcdtrack, 2);
    type(Enter);
    EXPECT_EQ(handedOver().back(), "D:\\mpegav\\avseq03.dat");
    EXPECT_EQ(h.f().vcdtrack, 3);

    // A refused first track leaves the state as it was before the command.
    h.mov1.refused = {path("D", 1)};
    h.f().vcdvideo = false;
    type('V');
    EXPECT_EQ(h.boxes.shown.back(), "Cannot open D:\\mpegav\\avseq01.dat");
    EXPECT_EQ(h.f().vcdtrack, 3);
    EXPECT_FALSE(h.f().vcdvideo);
}

TEST_F(VcdTest, EveryPathLooksForTheDriveAgain)
{
    disc("D", {1, 2});
    type('V');
    // The drive letters change under the player: the next step uses the new one.
    h.drives.cdroms = {"F:"};
    h.files.existing = {path("F", 1), path("F", 2)};
    clearRecords();
    type(Enter);
    EXPECT_EQ(h.files.opened, std::vector<std::string>{"F:\\mpegav\\avseq02.dat"});
    EXPECT_EQ(handedOver(), std::vector<std::string>{"F:\\mpegav\\avseq02.dat"});
    EXPECT_EQ(std::count(h.drives.asked.begin(), h.drives.asked.end(), "B:"), 2);
}

TEST_F(VcdTest, IsfileOpensAndClosesOrAnswersFalseQuietly)
{
    h.files.existing = {"/films/a.mpg"};
    EXPECT_TRUE(h.f().isfile("/films/a.mpg"));
    EXPECT_EQ(h.files.openCount, 0);
    EXPECT_FALSE(h.f().isfile("/films/b.mpg"));
    EXPECT_FALSE(h.f().isfile(""));
    EXPECT_TRUE(h.boxes.shown.empty());
}

TEST_F(VcdTest, PlayVideoCdShowsTheControlLikeOpenAndNoDiscLeavesItAsItWas)
{
    h.load();
    ASSERT_FALSE(h.mov1.Visible());
    type('V'); // no drive yet
    EXPECT_FALSE(h.mov1.Visible());
    disc("D", {1});
    type('V');
    EXPECT_EQ(handedOver(), std::vector<std::string>{"D:\\mpegav\\avseq01.dat"});
    EXPECT_TRUE(h.mov1.Visible());

    // A music disc plays in a shown control too.
    h.mov1.Visible(false);
    h.files.existing = {"D:\\mpegav\\music01.dat"};
    h.f().vcd.Click();
    EXPECT_EQ(h.mov1.MediaFile(), "D:\\mpegav\\music01.dat");
    EXPECT_TRUE(h.mov1.Visible());
}

TEST_F(VcdTest, OpenStopsTheTrackKeysARecentFileDoesNot)
{
    h.settings.values[fakes::SettingsStore::address("Quorvel Movie", "Recent Files", "0")] = "/films/b.mpg";
    h.load();
    disc("D", {1, 2, 3});
    type('V');
    type(Enter);
    ASSERT_EQ(h.f().vcdtrack, 2);

    h.f().rec[0]->Click();
    EXPECT_EQ(handedOver().back(), "/films/b.mpg");
    EXPECT_EQ(h.f().vcdtrack, 2);
    type(Enter);
    EXPECT_EQ(handedOver().back(), "D:\\mpegav\\avseq03.dat");

    h.cdlg1.nextFile = "/films/a.mpg";
    h.f().opn.Click();
    EXPECT_EQ(h.f().vcdtrack, 0);
    clearRecords();
    type(Enter);
    type(Backspace);
    EXPECT_TRUE(h.mov1.log.empty());
    EXPECT_TRUE(h.files.opened.empty());
}

} // namespace
