// Where films were left, the files of a folder in order and the menu's
// toggles: the parts that need neither mpv nor a display.
#include "support/Fakes.h"

#include "FileSteps.h"
#include "Preferences.h"
#include "Resume.h"
#include "RuntimeError.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace {

using media::FileStamp;
using media::ResumeEntry;
using media::ResumePositions;

constexpr const char* App = "Quorvel Movie";

ResumeEntry entry(const std::string& path, double seconds, FileStamp stamp = {1000, 5})
{
    return {path, seconds, stamp};
}

ResumePositions readBack(fakes::SettingsStore& store)
{
    ResumePositions positions;
    store.EditSettings(App, ResumePositions::Section, [&](platform::SettingsEdit& edit) { positions.readFrom(edit); });
    return positions;
}

void write(fakes::SettingsStore& store, const ResumePositions& positions)
{
    store.EditSettings(App, ResumePositions::Section, [&](platform::SettingsEdit& edit) { positions.writeTo(edit); });
}

TEST(ResumeEntry, OnlyWhatWasWrittenReadsBack)
{
    const ResumeEntry kept = entry("/films/a|b, c.mkv", 60.25, {123456789012, 1700000000123});
    const auto back = media::parseResumeEntry(media::resumeEntryText(kept));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->path, kept.path); // a bar or comma in the name is the name's
    EXPECT_DOUBLE_EQ(back->seconds, 60.25);
    EXPECT_EQ(back->stamp, kept.stamp);

    for (const char* bad : {"", "sixty", "60", "60|1|2", "-5|1|2|/a.mkv", "0|1|2|/a.mkv", "nan|1|2|/a.mkv",
                            "inf|1|2|/a.mkv", "1e300|1|2|/a.mkv", "99999999999|1|2|/a.mkv", "60|-1|2|/a.mkv",
                            "60|x|2|/a.mkv", "60|1|2.5|/a.mkv", "60|1|2|relative.mkv", "60|1|2|", " 60|1|2|/a.mkv",
                            "60|99999999999999999999999|2|/a.mkv"})
        EXPECT_FALSE(media::parseResumeEntry(bad)) << bad;
}

TEST(ResumeEntry, WorthKeepingFromTenSecondsToTheLastTwentieth)
{
    EXPECT_FALSE(media::worthResuming(9.9, 120));
    EXPECT_TRUE(media::worthResuming(10, 120));
    EXPECT_TRUE(media::worthResuming(113.9, 120));
    EXPECT_FALSE(media::worthResuming(114, 120)); // the last 5 %: watched
    EXPECT_FALSE(media::worthResuming(120, 120));
    EXPECT_FALSE(media::worthResuming(60, std::nullopt)); // a length unknown: no end to measure from
    EXPECT_FALSE(media::worthResuming(60, 0));
    EXPECT_TRUE(media::watchedToEnd(114, 120));
    EXPECT_FALSE(media::watchedToEnd(113.9, 120));
    EXPECT_FALSE(media::watchedToEnd(5, 120)); // closed early: neither kept nor forgotten
    EXPECT_FALSE(media::watchedToEnd(114, std::nullopt));
}

TEST(ResumePositions, NewestFirstAtMostTwoHundredOldestDropped)
{
    ResumePositions positions;
    for (int i = 0; i < 205; ++i)
        positions.remember(entry("/f/" + std::to_string(i) + ".mkv", 20 + i));
    ASSERT_EQ(positions.entries().size(), ResumePositions::Capacity);
    EXPECT_EQ(positions.entries().front().path, "/f/204.mkv");
    EXPECT_EQ(positions.entries().back().path, "/f/5.mkv"); // 0 to 4 went, oldest first

    positions.remember(entry("/f/100.mkv", 99)); // again: moved to the top, not twice
    EXPECT_EQ(positions.entries().size(), ResumePositions::Capacity);
    EXPECT_EQ(positions.entries().front().path, "/f/100.mkv");
    EXPECT_DOUBLE_EQ(*positions.offer("/f/100.mkv", {1000, 5}), 99);

    EXPECT_TRUE(positions.forget("/f/100.mkv"));
    EXPECT_FALSE(positions.forget("/f/100.mkv"));
    EXPECT_FALSE(positions.offer("/f/100.mkv", {1000, 5}));
}

TEST(ResumePositions, AChangedFileOrAPlacePastItsEndIsNotOffered)
{
    ResumePositions positions;
    positions.remember(entry("/f/a.mkv", 60, {1000, 5}));
    EXPECT_DOUBLE_EQ(*positions.offer("/f/a.mkv", {1000, 5}, 120.0), 60);
    EXPECT_FALSE(positions.offer("/f/a.mkv", {1001, 5}, 120.0)); // size differs
    EXPECT_FALSE(positions.offer("/f/a.mkv", {1000, 6}, 120.0)); // time differs
    EXPECT_FALSE(positions.offer("/f/a.mkv", {1000, 5}, 59.0));  // shorter than the place
    EXPECT_FALSE(positions.offer("/f/b.mkv", {1000, 5}, 120.0));
}

TEST(ResumePositions, RoundTripThroughTheStoreLeavesOtherSectionsAlone)
{
    fakes::SettingsStore store;
    for (int i = 0; i < 5; ++i)
        store.SaveSetting(App, "Recent Files", std::to_string(i), "/films/recent" + std::to_string(i) + ".mpg");
    const auto recentBefore = store.values;

    ResumePositions positions;
    positions.remember(entry("/f/a.mkv", 60));
    positions.remember(entry("/f/b.mkv", 30));
    write(store, positions);
    // Only the two keys in use are written: no block of 198 empty keys.
    std::size_t resumeKeys = 0;
    for (const auto& [where, value] : store.values)
        if (where.starts_with(std::string(App) + "/Resume Positions/"))
            ++resumeKeys;
    EXPECT_EQ(resumeKeys, 2u);
    for (const auto& [where, value] : recentBefore)
        EXPECT_EQ(store.values.at(where), value) << where;

    const ResumePositions back = readBack(store);
    ASSERT_EQ(back.entries().size(), 2u);
    EXPECT_EQ(back.entries()[0].path, "/f/b.mkv");

    positions.forget("/f/b.mkv");
    write(store, positions); // a key no longer used is emptied
    EXPECT_EQ(readBack(store).entries().size(), 1u);
    EXPECT_EQ(store.values.at(std::string(App) + "/Resume Positions/1"), "");
}

TEST(ResumePositions, AHandEditedSectionKeepsOnlySoundEntriesAndReadsNoMoreThanTwoHundredKeys)
{
    fakes::SettingsStore store;
    // Ten thousand keys: text, negatives, huge figures, doubles, and some sound ones.
    for (int i = 0; i < 10000; ++i) {
        std::string value;
        switch (i % 5) {
        case 0: value = "never"; break;
        case 1: value = "-30|1000|5|/f/n" + std::to_string(i) + ".mkv"; break;
        case 2: value = "1e308|1000|5|/f/h" + std::to_string(i) + ".mkv"; break;
        case 3: value = "45|1000|5|/f/same.mkv"; break;
        default: value = "50|1000|5|/f/g" + std::to_string(i) + ".mkv"; break;
        }
        store.SaveSetting(App, ResumePositions::Section, std::to_string(i), value);
    }
    const ResumePositions positions = readBack(store);
    // Of keys 0 to 199: 40 sound ones (4, 9, ...) and "same.mkv" once, at its first place.
    ASSERT_EQ(positions.entries().size(), 41u);
    EXPECT_EQ(positions.entries()[0].path, "/f/same.mkv");
    EXPECT_EQ(positions.entries()[1].path, "/f/g4.mkv");
    EXPECT_EQ(positions.entries().back().path, "/f/g199.mkv");
    for (const ResumeEntry& kept : positions.entries())
        EXPECT_GT(kept.seconds, 0);
}

TEST(NaturalOrder, NumbersCountByValueAndLettersByName)
{
    std::vector<std::string> names{"Ep 10.mkv", "ep 2.mkv", "Ep 1.mkv", "Ep 02b.mkv", "Ep 100.mkv", "Ep 9.mkv",
                                   "Apple.mkv"};
    std::sort(names.begin(), names.end(), media::naturalLess);
    EXPECT_EQ(names, (std::vector<std::string>{"Apple.mkv", "Ep 1.mkv", "ep 2.mkv", "Ep 02b.mkv", "Ep 9.mkv",
                                               "Ep 10.mkv", "Ep 100.mkv"}));
    // A strict order: names that differ only in case or zeros still come in one order.
    EXPECT_NE(media::naturalLess("a.mkv", "A.mkv"), media::naturalLess("A.mkv", "a.mkv"));
    EXPECT_NE(media::naturalLess("Ep 2.mkv", "Ep 02.mkv"), media::naturalLess("Ep 02.mkv", "Ep 2.mkv"));
    EXPECT_FALSE(media::naturalLess("x", "x"));
    EXPECT_TRUE(media::naturalLess("Ep 99999999999999999999.mkv", "Ep 100000000000000000000.mkv"));
}

TEST(NaturalOrder, NeighboursStopAtBothEnds)
{
    const std::vector<std::string> names{"Ep 1.mkv", "Ep 2.mkv", "Ep 10.mkv"};
    EXPECT_EQ(media::neighbour(names, "Ep 2.mkv", 1), "Ep 10.mkv");
    EXPECT_EQ(media::neighbour(names, "Ep 2.mkv", -1), "Ep 1.mkv");
    EXPECT_FALSE(media::neighbour(names, "Ep 10.mkv", 1));
    EXPECT_FALSE(media::neighbour(names, "Ep 1.mkv", -1));
    // A file no longer listed (renamed, gone) steps from where it would be.
    EXPECT_EQ(media::neighbour(names, "Ep 5.mkv", 1), "Ep 10.mkv");
    EXPECT_EQ(media::neighbour(names, "Ep 5.mkv", -1), "Ep 2.mkv");
    EXPECT_FALSE(media::neighbour({}, "Ep 5.mkv", 1));
}

TEST(FolderFiles, OnlyMediaFilesInOrderAndUnreadableEntriesLeftOut)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString();
    for (const char* name : {"Ep 10.mkv", "Ep 2.MKV", "Ep 1.mkv", "notes.txt", "Ep 1.srt", "clip.mpg"})
        std::ofstream(folder + "/" + name) << "x";
    std::filesystem::create_directory(folder + "/Extras.mkv");                       // a folder, not a film
    std::filesystem::create_symlink(folder + "/gone.mkv", folder + "/broken.mkv"); // leads nowhere
    EXPECT_EQ(media::mediaFilesIn(folder), (std::vector<std::string>{"clip.mpg", "Ep 1.mkv", "Ep 2.MKV", "Ep 10.mkv"}));
    EXPECT_TRUE(media::mediaFilesIn(folder + "/missing").empty());
    EXPECT_TRUE(media::isSubtitleName("Ep 1.SRT"));
    EXPECT_FALSE(media::isSubtitleName("Ep 1.mkv"));
}

TEST(FolderFiles, TheNeighbourIsFoundOffTheCallersThreadAndHandedBack)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string folder = dir.path().toStdString();
    for (int i = 1; i <= 5000; ++i)
        std::ofstream(folder + "/Ep " + std::to_string(i) + ".mkv");
    QObject context;
    std::optional<media::FileStep> got;
    bool onCallersThread = false;
    media::findNeighbour(folder + "/Ep 9.mkv", 1, &context, [&](media::FileStep step) {
        onCallersThread = QThread::currentThread() == context.thread();
        got = step;
    });
    EXPECT_FALSE(got); // not waited for
    QCoreApplication::processEvents();
    while (!got)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    EXPECT_TRUE(onCallersThread);
    EXPECT_EQ(got->path, folder + "/Ep 10.mkv");

    got.reset();
    media::findNeighbour(folder + "/Ep 5000.mkv", 1, &context, [&](media::FileStep step) { got = step; });
    while (!got)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    EXPECT_FALSE(got->path);
    EXPECT_EQ(got->step, 1);
}

TEST(Preferences, OffUntilSetAndNonsenseCountsAsUnset)
{
    fakes::SettingsStore store;
    std::vector<std::string> told;
    const auto report = [&](const std::string& text) { told.push_back(text); };
    media::Preferences preferences = media::Preferences::load(store, App, report);
    EXPECT_FALSE(preferences.resumeAutomatically);
    EXPECT_FALSE(preferences.playNextAtEnd);

    media::Preferences::save(store, App, media::Preferences::ResumeKey, true, report);
    store.SaveSetting(App, media::Preferences::Section, media::Preferences::NextKey, "yes please");
    preferences = media::Preferences::load(store, App, report);
    EXPECT_TRUE(preferences.resumeAutomatically);
    EXPECT_FALSE(preferences.playNextAtEnd);
    EXPECT_TRUE(told.empty());
}

// A store that cannot be read or written.
class BrokenStore : public fakes::SettingsStore {
  public:
    void EditSettings(std::string_view, std::string_view, const std::function<void(platform::SettingsEdit&)>&) override
    {
        throw forms::RuntimeError("The settings file cannot be read");
    }
    void SaveSetting(std::string_view, std::string_view, std::string_view, std::string_view) override
    {
        throw forms::RuntimeError("The settings file cannot be written");
    }
};

TEST(Preferences, ABrokenStoreIsToldAndTheDefaultsHold)
{
    BrokenStore store;
    std::vector<std::string> told;
    const auto report = [&](const std::string& text) { told.push_back(text); };
    const media::Preferences preferences = media::Preferences::load(store, App, report);
    EXPECT_FALSE(preferences.resumeAutomatically);
    media::Preferences::save(store, App, media::Preferences::NextKey, true, report);
    EXPECT_EQ(told, (std::vector<std::string>{"The settings file cannot be read", "The settings file cannot be written"}));
}

} // namespace
