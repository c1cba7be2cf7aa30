// Damaged and hostile disc images: a bad volume descriptor, a FIFO where the
// image's data should be, and directory sizes far beyond the disc.
#include "support/VcdDiscs.h"

#include "Disc.h"
#include "RuntimeError.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

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

Clock::duration fastest(const std::string& image)
{
    Clock::duration best = Clock::duration::max();
    for (int i = 0; i < 3; ++i) {
        const auto started = Clock::now();
        lookup(image);
        best = std::min(best, Clock::now() - started);
    }
    return best;
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
        auto result = std::async(std::launch::async, [image = image.string()] { return lookup(image); });
        if (result.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << image << " waited for its FIFO";
            // A writer that comes and goes lets each stalled open and read go on.
            while (result.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready)
                ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
        }
        EXPECT_EQ(result.get(), "error: " + fifo.string() + " is not a disc image file");
    }

    // Nor does libcdio get a cue sheet without a track: it would keep memory it never frees.
    std::ofstream(folder / "empty.cue") << "FILE \"video.bin\" BINARY\n";
    EXPECT_EQ(lookup((folder / "empty.cue").string()),
              "error: the disc image " + (folder / "empty.cue").string() + " holds no track");
}

TEST(DamagedDiscTest, ADirectorySizeBeyondTheDiscCostsALookupNoMoreThanAGoodOne)
{
    // The root's true place (sector 18) with sizes of nearly 2 and 4 GiB.
    for (const std::uint32_t size : {0x7ffff800u, 0xfffff800u}) {
        const DamagedImage image(18, size);
        EXPECT_EQ(lookup(image.cue()), "AVSEQ01.DAT;1");
        const auto good = fastest(vcdDiscs() / "video.cue");
        const auto damaged = fastest(image.cue());
        EXPECT_LT(damaged, good + std::chrono::milliseconds(30))
            << std::chrono::duration<double, std::milli>(damaged).count() << " ms against "
            << std::chrono::duration<double, std::milli>(good).count() << " ms";
    }
}
