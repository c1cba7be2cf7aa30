// Damaged and hostile disc images: a bad volume descriptor, a FIFO or a device
// where the image's data should be, and directory sizes far beyond the disc.
#include "support/VcdDiscs.h"

#include "Disc.h"
#include "RuntimeError.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <future>

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> Track1 = {"MPEGAV", "AVSEQ01.DAT"};

std::string lookup(const std::string& image, const std::vector<std::string>& parts = Track1)
{
    try {
        return platform::Disc::open(image).find(parts).name;
    } catch (const forms::RuntimeError& e) {
        return std::string("error: ") + e.what();
    }
}

// A copy of the test Video CD whose root directory record (in the volume
// descriptor, sector 16) says the root lies at lsn and is size bytes long.
class DamagedImage {
  public:
    DamagedImage(std::uint32_t lsn, std::uint32_t size)
    {
        fs::copy_file(vcdDiscs() / "video.cue", folder() / "video.cue");
        fs::copy_file(vcdDiscs() / "video.bin", folder() / "video.bin");
        std::fstream bin(folder() / "video.bin", std::ios::in | std::ios::out | std::ios::binary);
        // Raw Mode 2 sectors: sync, header and subheader come before the 2048 data bytes.
        const std::streamoff root = 16 * 2352 + 24 + 156;
        const auto both = [&](std::streamoff at, std::uint32_t value) {
            char bytes[8];
            for (int i = 0; i < 4; ++i) {
                bytes[i] = static_cast<char>(value >> (8 * i));
                bytes[7 - i] = static_cast<char>(value >> (8 * i));
            }
            bin.seekp(root + at);
            bin.write(bytes, 8);
        };
        both(2, lsn);
        both(10, size);
    }
    fs::path folder() const { return dir_.path().toStdString(); }
    std::string cue() const { return (folder() / "video.cue").string(); }

  private:
    QTemporaryDir dir_;
};

// Sectors the lookup of Track1 read.
std::uint64_t lookupCost(const std::string& image)
{
    const platform::Disc disc = platform::Disc::open(image);
    disc.find(Track1);
    return disc.lookupSectors();
}

// The lookup of image, which is to refuse fifo without waiting for it.
std::string lookupBeside(const std::string& image, const fs::path& fifo)
{
    auto result = std::async(std::launch::async, [image] { return lookup(image); });
    if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << image << " waited for its FIFO";
        // A writer that comes and goes lets each stalled open and read go on.
        while (result.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready)
            ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
    }
    return result.get();
}

} // namespace

TEST(DamagedDiscTest, ARootThatIsNoDirectoryIsAnErrorNotACrash)
{
    // Sector 23 holds Video CD data, whose bytes libiso9660 turned into empty entries.
    const DamagedImage image(23, 16384);
    EXPECT_EQ(lookup(image.cue()), "error: the disc has no folder MPEGAV");
    EXPECT_EQ(lookup(vcdDiscs() / "video.cue"), "AVSEQ01.DAT;1");
}

TEST(DamagedDiscTest, AFifoInPlaceOfAnImageFileIsRefusedWithoutWaiting)
{
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    fs::copy_file(vcdDiscs() / "video.cue", folder / "video.cue");
    ASSERT_EQ(::mkfifo((folder / "video.bin").c_str(), 0600), 0);
    fs::create_directory(folder / "other");
    fs::copy_file(vcdDiscs() / "video.bin", folder / "other" / "video.bin");
    ASSERT_EQ(::mkfifo((folder / "other" / "video.cue").c_str(), 0600), 0);

    // The .bin a cue sheet names, and the cue sheet libcdio reads beside a .bin.
    for (const auto& [image, fifo] : {std::pair{folder / "video.cue", folder / "video.bin"},
                                      std::pair{folder / "other" / "video.bin", folder / "other" / "video.cue"}}) {
        EXPECT_EQ(lookupBeside(image.string(), fifo), "error: " + fifo.string() + " is not a disc image file");
    }

    // Nor does libcdio get a cue sheet without a track: it would keep memory it never frees.
    std::ofstream(folder / "empty.cue") << "FILE \"video.bin\" BINARY\n";
    EXPECT_EQ(lookup((folder / "empty.cue").string()),
              "error: the disc image " + (folder / "empty.cue").string() + " holds no track");
}

TEST(DamagedDiscTest, EveryFileASheetNamesIsCheckedAsLibcdioReadsIt)
{
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    ASSERT_EQ(::mkfifo((folder / "audio").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((folder / "my video.bin").c_str(), 0600), 0);
    fs::copy_file(vcdDiscs() / "video.bin", folder / "my");
    // A TOC file's audio track after a good data track; and an unquoted name, which runs on past its spaces.
    std::ofstream(folder / "audio.toc")
        << "CD_ROM_XA\nTRACK MODE2_RAW\nDATAFILE \"my\"\nTRACK AUDIO\nAUDIOFILE \"audio\" 0\n";
    std::ofstream(folder / "spaced.cue") << "FILE my video.bin\tBINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n";
    EXPECT_EQ(lookupBeside((folder / "audio.toc").string(), folder / "audio"),
              "error: " + (folder / "audio").string() + " is not a disc image file");
    EXPECT_EQ(lookupBeside((folder / "spaced.cue").string(), folder / "my video.bin"),
              "error: " + (folder / "my video.bin").string() + " is not a disc image file");

    // A line longer than libcdio's buffer goes on as a line of its own there.
    std::ofstream(folder / "long.toc") << "CD_ROM_XA\nTRACK MODE2_RAW\nDATAFILE \"my\"" << std::string(600, ' ')
                                       << "AUDIOFILE \"audio\" 0\n";
    EXPECT_EQ(lookup((folder / "long.toc").string()),
              "error: the disc image " + (folder / "long.toc").string() + " is damaged");
}

TEST(DamagedDiscTest, ASheetNamingADeviceIsRefused)
{
    // Any block device will do: the sheet must not get it opened at all.
    std::string device;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator("/dev", error))
        if (entry.is_block_file(error)) {
            device = entry.path().string();
            break;
        }
    if (device.empty())
        GTEST_SKIP() << "no block device under /dev";
    QTemporaryDir dir;
    const fs::path sheet = fs::path(dir.path().toStdString()) / "device.cue";
    std::ofstream(sheet) << "FILE \"" << device << "\" BINARY\n  TRACK 01 MODE2/2352\n    INDEX 01 00:00:00\n";
    EXPECT_EQ(lookup(sheet.string()), "error: " + device + " is not a disc image file");
}

TEST(DamagedDiscTest, ADirectorySizeBeyondTheDiscCostsALookupNoMoreThanAGoodOne)
{
    const std::uint64_t good = lookupCost(vcdDiscs() / "video.cue");
    // The root's true place (sector 18) with sizes of nearly 2 and 4 GiB.
    for (const std::uint32_t size : {0x7ffff800u, 0xfffff800u}) {
        const DamagedImage image(18, size);
        EXPECT_EQ(lookup(image.cue()), "AVSEQ01.DAT;1");
        // The root is read a piece at a time and ends in its first piece.
        EXPECT_LE(lookupCost(image.cue()), good + 16) << good << " sectors for the good disc";
    }
}
