// Drive letters on Linux: the drive map, drive-letter paths, and the files of
// real test discs (images made by vcdimager, folders standing for discs).
#include "support/Errors.h"
#include "support/VcdDiscs.h"

#include "Disc.h"
#include "DriveMap.h"
#include "DrivePath.h"
#include "LinuxDrives.h"
#include "RuntimeError.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

constexpr std::int64_t Form2Bytes = 2324;
// vcdimager puts 30 empty sectors before a track's stream and 45 after it.
constexpr std::int64_t FrontMargin = 30 * Form2Bytes;
constexpr std::int64_t RearMargin = 45 * Form2Bytes;

platform::DriveMap drives(const std::string& text)
{
    std::ostringstream warnings;
    auto map = platform::DriveMap::fromText(text, warnings);
    EXPECT_EQ(warnings.str(), "") << text;
    return map;
}

// Reads a stream to its end in pieces of an awkward size, as a demuxer does.
std::string readAll(platform::ByteStream& stream, std::int64_t piece = 1000)
{
    std::string data;
    std::string buffer(static_cast<std::size_t>(piece), '\0');
    for (;;) {
        const std::int64_t n = stream.read(buffer.data(), piece);
        if (n <= 0) {
            EXPECT_EQ(n, 0) << "read failed at " << data.size();
            return data;
        }
        data.append(buffer, 0, static_cast<std::size_t>(n));
    }
}

std::string streamOf(platform::LinuxMediaPaths& paths, const std::string& path)
{
    const platform::ResolvedMedia media = paths.resolve(path);
    EXPECT_EQ(media.localPath, "") << path;
    if (!media.openStream)
        return "";
    const auto stream = media.openStream();
    EXPECT_NE(stream, nullptr);
    return stream ? readAll(*stream) : "";
}

bool allZero(std::string_view bytes)
{
    return bytes.find_first_not_of('\0') == std::string_view::npos;
}

TEST(DriveMapTest, EntriesGiveLettersAndMalformedOnesAreLeftOutWithOneWarningEach)
{
    std::ostringstream warnings;
    const auto map = platform::DriveMap::fromText(
        " D=/dev/sr0 ;e=/discs/film.cue;;F = /discs/folder;G;=/x;HH=/y;1=/z;I=;D=/dev/sr1;J=/a=b;", warnings);

    EXPECT_EQ(map.drives(), (std::map<char, std::string>{
                                {'D', "/dev/sr0"}, {'E', "/discs/film.cue"}, {'F', "/discs/folder"}, {'J', "/a=b"}}));
    EXPECT_EQ(map.target('d'), "/dev/sr0");
    EXPECT_EQ(map.target('G'), std::nullopt);

    const std::string text = warnings.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6) << text;
    for (const char* bad : {"\"G\"", "\"=/x\"", "\"HH=/y\"", "\"1=/z\"", "\"I=\"", "\"D=/dev/sr1\""})
        EXPECT_THAT(text, HasSubstr(bad));
    EXPECT_THAT(text, HasSubstr("ZELVO_DRIVES"));

    // Set but empty: no drive at all, and nothing to warn about.
    EXPECT_TRUE(drives("").drives().empty());
}

TEST(DriveMapTest, OpticalDrivesOfTheKernelTakeLettersFromDInNumberOrder)
{
    QTemporaryDir sys;
    const fs::path root = sys.path().toStdString();
    const auto device = [&](const std::string& name, const std::string& type) {
        fs::create_directories(root / name / "device");
        if (!type.empty())
            std::ofstream(root / name / "device" / "type") << type << "\n";
    };
    device("sr10", "5");
    device("sr2", "5");
    device("sr0", "5");
    device("sr1", "0"); // a disk behind a SCSI name: not optical
    device("sr3", "");  // no type: left out
    device("sda", "5");
    device("srx", "5");
    device("loop0", "");

    const auto map = platform::DriveMap::scanning(root);
    EXPECT_EQ(map.drives(), (std::map<char, std::string>{{'D', "/dev/sr0"}, {'E', "/dev/sr2"}, {'F', "/dev/sr10"}}));

    // Read afresh on every question: a drive plugged in later is found.
    device("sr1", "");
    std::ofstream(root / "sr1" / "device" / "type") << "5\n";
    EXPECT_EQ(map.target('E'), "/dev/sr1");
    EXPECT_EQ(map.target('G'), "/dev/sr10");

    EXPECT_TRUE(platform::DriveMap::scanning(root / "missing").drives().empty());
}

TEST(DriveMapTest, GetDriveTypeAnswersCdromForMappedLettersOnly)
{
    const auto map = drives("A=/discs/a.cue;D=/dev/sr0");
    platform::LinuxDrives letters(map);
    EXPECT_EQ(letters.GetDriveTypeA("D:"), platform::DRIVE_CDROM);
    EXPECT_EQ(letters.GetDriveTypeA("d:"), platform::DRIVE_CDROM);
    EXPECT_EQ(letters.GetDriveTypeA("D:\\"), platform::DRIVE_CDROM);
    EXPECT_EQ(letters.GetDriveTypeA("A:"), platform::DRIVE_CDROM);
    for (const char* other : {"B:", "E:", "Z:", "", "D", "DD:", "D:\\mpegav", ":", "?:"})
        EXPECT_EQ(letters.GetDriveTypeA(other), platform::DRIVE_NO_ROOT_DIR) << other;
}

TEST(DrivePathTest, PathsSplitIntoPartsAndNamesMatchLooselyOnlyWhereDiscsDiffer)
{
    const auto path = platform::DrivePath::parse("d:\\MPEGAV\\\\.\\x\\..\\avseq01.dat;1");
    ASSERT_TRUE(path);
    EXPECT_EQ(path->letter, 'D');
    EXPECT_EQ(path->parts, (std::vector<std::string>{"MPEGAV", "avseq01.dat;1"}));
    EXPECT_EQ(platform::DrivePath::parse("E:/a/b")->parts, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(platform::DrivePath::parse("E:a")->parts, std::vector<std::string>{"a"});
    EXPECT_EQ(platform::DrivePath::parse("E:\\..\\..\\etc\\passwd")->parts,
              (std::vector<std::string>{"etc", "passwd"}));
    EXPECT_TRUE(platform::DrivePath::parse("E:")->parts.empty());
    for (const char* plain : {"", "D", "/home/a.mpg", ":\\mpegav\\avseq01.dat", "1:\\a", "ab:\\c"})
        EXPECT_FALSE(platform::DrivePath::parse(plain)) << plain;

    using platform::DrivePath;
    EXPECT_TRUE(DrivePath::sameName("avseq01.dat", "AVSEQ01.DAT;1"));
    EXPECT_TRUE(DrivePath::sameName("AVSEQ01.DAT;1", "avseq01.dat"));
    EXPECT_TRUE(DrivePath::sameName("mpegav", "MPEGAV"));
    EXPECT_TRUE(DrivePath::sameName("readme", "README.;1"));
    EXPECT_FALSE(DrivePath::sameName("avseq01.dat", "avseq01.da"));
    EXPECT_FALSE(DrivePath::sameName("avseq1.dat", "avseq01.dat"));
    EXPECT_FALSE(DrivePath::sameName("avseq01.dat;x", "avseq01.dat"));
    EXPECT_FALSE(DrivePath::sameName("avseq01", "avseq01.dat"));
}

class DiscFilesTest : public ::testing::Test {
  protected:
    DiscFilesTest()
        : map(drives("D=" + (discs / "video.cue").string() + ";E=" + (discs / "music.cue").string() +
                     ";F=" + (discs / "upper").string() + ";G=" + (discs / "lower").string() +
                     ";H=" + (discs / "video.bin").string()))
    {
    }
    const fs::path& discs = vcdDiscs();
    platform::DriveMap map;
    platform::LinuxMediaPaths paths{map};
    platform::LinuxFileProbe files{map};
};

TEST_F(DiscFilesTest, VideoTracksReadFromTheImageAreTheStreamsGivenToVcdimager)
{
    for (const int track : {1, 2, 3}) {
        const std::string given = fileBytes(discs / ("track" + std::to_string(track) + ".mpg"));
        ASSERT_GT(given.size(), 100000u);
        const std::string read = streamOf(paths, "D:\\mpegav\\avseq0" + std::to_string(track) + ".dat");

        ASSERT_EQ(static_cast<std::int64_t>(read.size()),
                  FrontMargin + RearMargin +
                      (static_cast<std::int64_t>(given.size()) + Form2Bytes - 1) / Form2Bytes * Form2Bytes);
        EXPECT_TRUE(read.compare(FrontMargin, given.size(), given) == 0) << "track " << track;
        EXPECT_TRUE(allZero(std::string_view(read).substr(0, FrontMargin)));
        EXPECT_TRUE(allZero(std::string_view(read).substr(FrontMargin + given.size())));
    }
}

TEST_F(DiscFilesTest, NamesMatchWithoutRegardToCaseOrVersionAndTheBinReadsLikeTheCue)
{
    const std::string expected = streamOf(paths, "D:\\mpegav\\avseq02.dat");
    ASSERT_FALSE(expected.empty());
    for (const char* path : {"D:\\MPEGAV\\AVSEQ02.DAT", "d:/MpegAv/avseq02.dat;1",
                             "D:\\mpegav\\.\\..\\mpegav\\avseq02.dat", "H:\\mpegav\\avseq02.dat"}) {
        EXPECT_EQ(streamOf(paths, path), expected) << path;
        EXPECT_NO_THROW(files.OpenForInput(path)) << path;
    }
    // Disc files are checked, never held open.
    EXPECT_EQ(files.openCount(), 0u);

    // A Form 1 file of the same disc reads in 2048-byte sectors.
    const std::string entries = streamOf(paths, "D:\\VCD\\ENTRIES.VCD");
    EXPECT_EQ(entries.size(), 2048u);
    EXPECT_EQ(entries.substr(0, 8), "ENTRYVCD");
}

TEST_F(DiscFilesTest, StreamsSeekAnywhereAndStopAtTheEnd)
{
    const std::string whole = streamOf(paths, "D:\\mpegav\\avseq03.dat");
    const auto stream = paths.resolve("D:\\mpegav\\avseq03.dat").openStream();
    ASSERT_EQ(stream->size(), static_cast<std::int64_t>(whole.size()));

    // Across sector and chunk edges, backwards and forwards.
    for (const std::int64_t at :
         {std::int64_t{400000}, std::int64_t{2323}, std::int64_t{32 * 2324 - 5}, std::int64_t{0}, stream->size() - 3}) {
        ASSERT_TRUE(stream->seek(at));
        std::string got;
        char buffer[5000];
        while (got.size() < 5000) {
            const std::int64_t n = stream->read(buffer, sizeof buffer - static_cast<std::int64_t>(got.size()));
            if (n <= 0)
                break;
            got.append(buffer, static_cast<std::size_t>(n));
        }
        EXPECT_EQ(got, whole.substr(static_cast<std::size_t>(at), 5000)) << at;
    }
    char byte = 0;
    EXPECT_EQ(stream->read(&byte, 1), 0);
    EXPECT_TRUE(stream->seek(stream->size()));
    EXPECT_FALSE(stream->seek(stream->size() + 1));
    EXPECT_FALSE(stream->seek(-1));
}

TEST_F(DiscFilesTest, TheMusicDiscHasMusicAndNoVideoTrack)
{
    const std::string given = fileBytes(discs / "music1.mpg");
    const std::string read = streamOf(paths, "E:\\mpegav\\music01.dat");
    ASSERT_GE(read.size(), given.size());
    EXPECT_EQ(read.substr(0, given.size()), given);
    EXPECT_LT(read.size() - given.size(), 2324u);

    EXPECT_NO_THROW(files.OpenForInput("E:\\mpegav\\music01.dat"));
    EXPECT_EQ(errorOf([&] { files.OpenForInput("E:\\mpegav\\avseq01.dat"); }),
              "Cannot open E:\\mpegav\\avseq01.dat: the disc has no such file");
}

TEST_F(DiscFilesTest, MissingFilesAndFoldersAreRefusedWithTheReason)
{
    EXPECT_EQ(errorOf([&] { files.OpenForInput("D:\\mpegav\\avseq04.dat"); }),
              "Cannot open D:\\mpegav\\avseq04.dat: the disc has no such file");
    EXPECT_EQ(errorOf([&] { paths.resolve("D:\\mpegav\\avseq04.dat"); }),
              "Cannot open D:\\mpegav\\avseq04.dat: the disc has no such file");
    EXPECT_EQ(errorOf([&] { files.OpenForInput("D:\\mpegav"); }), "Cannot open D:\\mpegav: it is a folder");
    EXPECT_EQ(errorOf([&] { files.OpenForInput("D:\\"); }), "Cannot open D:\\: it is the disc's root folder");
    EXPECT_THAT(errorOf([&] { files.OpenForInput("D:\\nothere\\avseq01.dat"); }), HasSubstr("no folder nothere"));
    EXPECT_THAT(errorOf([&] { files.OpenForInput("D:\\mpegav\\avseq01.dat\\x"); }), HasSubstr("not a folder"));
    EXPECT_EQ(errorOf([&] { files.OpenForInput("G:\\mpegav"); }), "Cannot open G:\\mpegav: it is a folder");
    EXPECT_EQ(errorOf([&] { files.OpenForInput("G:\\mpegav\\avseq04.dat"); }),
              "Cannot open G:\\mpegav\\avseq04.dat: there is no such file");
    EXPECT_EQ(files.openCount(), 0u);
}

TEST_F(DiscFilesTest, FolderDrivesAreRealFilesWhateverTheCaseOfTheirNames)
{
    const std::string upper = (discs / "upper" / "MPEGAV" / "AVSEQ01.DAT").string();
    const std::string lower = (discs / "lower" / "mpegav" / "avseq01.dat").string();
    EXPECT_EQ(paths.resolve("F:\\mpegav\\avseq01.dat").localPath, upper);
    EXPECT_EQ(paths.resolve("F:\\MPEGAV\\AVSEQ01.DAT").localPath, upper);
    EXPECT_EQ(paths.resolve("G:\\MPEGAV\\AVSEQ01.DAT;1").localPath, lower);
    EXPECT_FALSE(paths.resolve("G:\\mpegav\\avseq01.dat").openStream);

    files.OpenForInput("F:\\mpegav\\avseq02.dat");
    files.OpenForInput("G:\\mpegav\\avseq03.dat");
    EXPECT_EQ(files.openCount(), 2u);
    files.CloseAll();
    EXPECT_EQ(files.openCount(), 0u);

    // ".." stops at the drive's root: nothing outside the folder can be named.
    EXPECT_EQ(errorOf([&] { files.OpenForInput("F:\\..\\lower\\mpegav\\avseq01.dat"); }),
              "Cannot open F:\\..\\lower\\mpegav\\avseq01.dat: there is no folder lower");
}

TEST_F(DiscFilesTest, PathsOffTheMapAreLinuxPathsAsGiven)
{
    EXPECT_EQ(paths.resolve("/films/a b.mpg").localPath, "/films/a b.mpg");
    EXPECT_EQ(paths.resolve("K:\\mpegav\\avseq01.dat").localPath, "K:\\mpegav\\avseq01.dat");
    EXPECT_EQ(paths.resolve(":\\mpegav\\avseq01.dat").localPath, ":\\mpegav\\avseq01.dat");

    const std::string clip = (discs / "track1.mpg").string();
    files.OpenForInput(clip);
    EXPECT_EQ(files.openCount(), 1u);
    files.CloseAll();
    EXPECT_THAT(errorOf([&] { files.OpenForInput("K:\\mpegav\\avseq01.dat"); }), HasSubstr("No such file"));
    EXPECT_EQ(errorOf([&] { files.OpenForInput(discs.string()); }),
              "Cannot open " + discs.string() + ": it is a folder");
    EXPECT_THAT(errorOf([&] { files.OpenForInput(""); }), HasSubstr("No such file"));
    EXPECT_EQ(files.openCount(), 0u);
}

TEST(DiscTroubleTest, ATakenOutOrUnreadableDiscIsAnErrorWithItsReasonAtOnce)
{
    QTemporaryDir temp;
    const fs::path folder = temp.path().toStdString();
    fs::copy_file(vcdDiscs() / "video.cue", folder / "video.cue");
    fs::copy_file(vcdDiscs() / "video.bin", folder / "video.bin");
    std::ofstream(folder / "notes.txt") << "not a disc";
    const auto map = drives("D=" + (folder / "video.cue").string() + ";E=/dev/null;F=/dev/sr97;G=" +
                            (folder / "notes.txt").string() + ";H=" + (folder / "gone").string());
    platform::LinuxMediaPaths paths(map);
    platform::LinuxFileProbe files(map);
    const auto started = std::chrono::steady_clock::now();

    const auto stream = paths.resolve("D:\\mpegav\\avseq01.dat").openStream();
    const auto later = paths.resolve("D:\\mpegav\\avseq02.dat");

    // The disc goes: the image is cut short inside track 1 (sector 450 on), then removed.
    fs::resize_file(folder / "video.bin", 2352 * 550);
    char buffer[4096];
    ASSERT_TRUE(stream->seek(95 * Form2Bytes)); // its sectors run over the cut
    EXPECT_EQ(stream->read(buffer, sizeof buffer), -1);
    ASSERT_TRUE(stream->seek(30 * Form2Bytes));
    EXPECT_EQ(stream->read(buffer, sizeof buffer), sizeof buffer);
    EXPECT_EQ(errorOf([&] { later.openStream(); }),
              "the file lies beyond the end of the disc in " + (folder / "video.cue").string());
    fs::remove(folder / "video.bin");
    fs::remove(folder / "video.cue");
    EXPECT_EQ(errorOf([&] { later.openStream(); }),
              "there is no disc: " + (folder / "video.cue").string() + " is missing");
    EXPECT_EQ(errorOf([&] { files.OpenForInput("D:\\mpegav\\avseq01.dat"); }),
              "Cannot open D:\\mpegav\\avseq01.dat: there is no disc: " + (folder / "video.cue").string() +
                  " is missing");

    EXPECT_EQ(errorOf([&] { paths.resolve("E:\\mpegav\\avseq01.dat"); }),
              "Cannot open E:\\mpegav\\avseq01.dat: /dev/null is not an optical drive");
    EXPECT_EQ(errorOf([&] { files.OpenForInput("F:\\mpegav\\avseq01.dat"); }),
              "Cannot open F:\\mpegav\\avseq01.dat: /dev/sr97 is not there");
    EXPECT_THAT(errorOf([&] { files.OpenForInput("G:\\mpegav\\avseq01.dat"); }),
                HasSubstr("is not a disc image this player reads"));
    EXPECT_THAT(errorOf([&] { files.OpenForInput("H:\\mpegav\\avseq01.dat"); }), HasSubstr("gone is missing"));

    // No drive, image or missing device is waited for.
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

} // namespace
