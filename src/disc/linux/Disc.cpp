#include "Disc.h"

#include "DrivePath.h"
#include "RuntimeError.h"

#include <cdio/bytesex.h>
#include <cdio/cdio.h>
#include <cdio/iso9660.h>
#include <cdio/logging.h>
#include <cdio/xa.h>

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>

namespace platform {

namespace {

constexpr std::int64_t Form1Bytes = 2048;
constexpr std::int64_t Form2Bytes = 2324;    // data bytes of a Mode 2 Form 2 sector
constexpr std::int64_t RawForm2Bytes = 2336; // 8 subheader bytes, the data, 4 spare
constexpr std::int64_t SubheaderBytes = 8;
// Sectors fetched a read: a drive streams these at once, and mpv asks in small steps.
constexpr std::uint32_t ChunkSectors = 32;
// A subheader no sector has: its two copies differ.
constexpr char UnreadMark[SubheaderBytes] = {1, 2, 3, 4, 5, 6, 7, 8};

[[noreturn]] void fail(const std::string& reason)
{
    throw forms::RuntimeError(reason);
}

// libcdio reports through a log whose default handler writes to stderr and
// aborts the program on an internal check. A damaged disc must not end the
// player, and the reasons we give are our own: the log says nothing.
void quietLibcdio()
{
    static std::once_flag once;
    std::call_once(once, [] { cdio_log_set_handler([](cdio_log_level_t, const char*) {}); });
}

// Owns a file descriptor.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }

  private:
    int fd_;
};

std::string openProblem(const std::string& target, int error)
{
    switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return target + " is not there";
    case EACCES:
    case EPERM:
        return "no permission to read " + target;
    case ENOMEDIUM:
        return "there is no disc in " + target;
    default:
        return "cannot read " + target + ": " + std::strerror(error);
    }
}

// Why a drive cannot be read now, or "" when it holds a disc. Asks the drive
// without waiting for it: O_NONBLOCK opens an empty drive (and does not close
// an open tray), and the status question is answered from the drive's state.
std::string driveProblem(const std::string& device)
{
    const Descriptor fd(::open(device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0)
        return openProblem(device, errno);
    const int status = ::ioctl(fd.get(), CDROM_DRIVE_STATUS, CDSL_CURRENT);
    if (status < 0)
        return errno == ENOMEDIUM ? "there is no disc in " + device : device + " is not an optical drive";
    switch (status) {
    case CDS_NO_DISC:
    case CDS_TRAY_OPEN:
        return "there is no disc in " + device;
    case CDS_DRIVE_NOT_READY:
        return device + " is not ready; try again in a moment";
    default:
        return "";
    }
}

driver_id_t imageDriver(const std::string& image)
{
    std::string extension = std::filesystem::path(image).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".cue" || extension == ".bin")
        return DRIVER_BINCUE;
    if (extension == ".toc")
        return DRIVER_CDRDAO;
    if (extension == ".nrg")
        return DRIVER_NRG;
    fail(image + " is not a disc image this player reads (.cue, .bin, .toc or .nrg)");
}

struct FileListFree {
    void operator()(CdioISO9660FileList_t* list) const { iso9660_filelist_free(list); }
};
using FileList = std::unique_ptr<CdioISO9660FileList_t, FileListFree>;

} // namespace

void Disc::Close::operator()(CdIo_t* cdio) const
{
    cdio_destroy(cdio);
}

Disc::Disc(std::unique_ptr<CdIo_t, Close> cdio, std::string target, bool device)
    : cdio_(std::move(cdio)), target_(std::move(target)), device_(device)
{
}

Disc Disc::open(const std::string& target)
{
    quietLibcdio();
    struct stat info {};
    if (::stat(target.c_str(), &info) != 0) {
        // A missing image is a drive without a disc, as far as the user is concerned.
        if (errno == ENOENT && target.rfind("/dev/", 0) != 0)
            fail("there is no disc: " + target + " is missing");
        fail(openProblem(target, errno));
    }

    const bool device = S_ISBLK(info.st_mode) || S_ISCHR(info.st_mode);
    driver_id_t driver = DRIVER_DEVICE;
    if (device) {
        if (const std::string problem = driveProblem(target); !problem.empty())
            fail(problem);
    } else if (S_ISREG(info.st_mode)) {
        driver = imageDriver(target);
        // libcdio says only "no"; the reason comes from opening it ourselves.
        if (const Descriptor fd(::open(target.c_str(), O_RDONLY | O_CLOEXEC)); fd.get() < 0)
            fail(openProblem(target, errno));
    } else {
        fail(target + " is neither an optical drive nor a disc image");
    }

    std::unique_ptr<CdIo_t, Close> cdio(cdio_open(target.c_str(), driver));
    if (!cdio)
        fail(device ? "cannot read the disc in " + target : "cannot read the disc image " + target);
    return Disc(std::move(cdio), target, device);
}

std::string Disc::unreadable() const
{
    if (device_) {
        if (std::string problem = driveProblem(target_); !problem.empty())
            return problem;
        return "cannot read the disc in " + target_;
    }
    if (::access(target_.c_str(), R_OK) != 0)
        return openProblem(target_, errno);
    return "cannot read the disc image " + target_;
}

DiscFile Disc::find(const std::vector<std::string>& parts) const
{
    if (parts.empty())
        fail("it is the disc's root folder");

    std::string folder = "/";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const FileList list(iso9660_fs_readdir(cdio_.get(), folder.c_str()));
        if (!list)
            fail(unreadable());

        const iso9660_stat_t* match = nullptr;
        CdioListNode_t* node = nullptr;
        _CDIO_LIST_FOREACH(node, list.get())
        {
            const auto* entry = static_cast<const iso9660_stat_t*>(_cdio_list_node_data(node));
            const std::string_view name = entry->filename;
            if (name == "." || name == ".." || !DrivePath::sameName(parts[i], name))
                continue;
            if (name == parts[i] || !match)
                match = entry;
            if (name == parts[i])
                break;
        }

        const bool last = i + 1 == parts.size();
        if (!match)
            fail(last ? "the disc has no such file" : "the disc has no folder " + parts[i]);
        if (!last) {
            if (match->type != iso9660_stat_s::_STAT_DIR)
                fail(parts[i] + " on the disc is a file, not a folder");
            folder += std::string(match->filename) + "/";
            continue;
        }
        if (match->type == iso9660_stat_s::_STAT_DIR)
            fail("it is a folder");

        DiscFile file;
        file.name = match->filename;
        file.lsn = match->lsn;
        const bool form2 = match->b_xa && (uint16_from_be(match->xa.attributes) & XA_ATTR_MODE2FORM2);
        file.form2 = form2;
        // A directory counts every sector as 2048 bytes, also a Form 2 one.
        file.sectors = static_cast<std::uint32_t>((std::int64_t{match->size} + Form1Bytes - 1) / Form1Bytes);
        // A damaged entry, or an image cut short, must not send reads past the end of the disc.
        const lsn_t end = cdio_get_disc_last_lsn(cdio_.get());
        if (end != CDIO_INVALID_LSN) {
            if (file.lsn < 0 || file.lsn >= end)
                fail("the file lies beyond the end of the disc in " + target_);
            file.sectors = std::min<std::uint32_t>(file.sectors, static_cast<std::uint32_t>(end - file.lsn));
        }
        file.size = form2 ? std::int64_t{file.sectors} * Form2Bytes
                          : std::min<std::int64_t>(match->size, std::int64_t{file.sectors} * Form1Bytes);
        return file;
    }
    fail("the disc has no such file"); // not reached: the loop returns or fails
}

// The data of one disc file. Reads whole chunks of sectors and serves the
// small reads of a demuxer from the last chunk.
class DiscFileStream : public ByteStream {
  public:
    DiscFileStream(Disc disc, const DiscFile& file) : disc_(std::move(disc)), file_(file) {}

    std::int64_t size() const override { return file_.size; }

    std::int64_t read(char* buffer, std::int64_t n) override
    {
        if (n <= 0 || position_ >= file_.size)
            return 0;
        if (position_ < chunkStart_ || position_ >= chunkStart_ + static_cast<std::int64_t>(chunk_.size())) {
            if (!fill())
                return -1;
        }
        const std::int64_t offset = position_ - chunkStart_;
        const std::int64_t count = std::min(n, static_cast<std::int64_t>(chunk_.size()) - offset);
        std::memcpy(buffer, chunk_.data() + offset, static_cast<std::size_t>(count));
        position_ += count;
        return count;
    }

    bool seek(std::int64_t position) override
    {
        if (position < 0 || position > file_.size)
            return false;
        position_ = position;
        return true;
    }

  private:
    std::int64_t sectorBytes() const { return file_.form2 ? Form2Bytes : Form1Bytes; }

    // Reads the chunk of sectors that holds the current position.
    bool fill()
    {
        const auto first = static_cast<std::uint32_t>(position_ / sectorBytes());
        const std::uint32_t count = std::min(ChunkSectors, file_.sectors - first);
        const lsn_t lsn = file_.lsn + static_cast<lsn_t>(first);
        chunk_.clear();
        chunkStart_ = std::int64_t{first} * sectorBytes();
        if (file_.form2) {
            // libcdio reports success for a read that an image cut short could
            // not fill; a sector still holding the mark was not read.
            raw_.resize(static_cast<std::size_t>(count * RawForm2Bytes));
            for (std::uint32_t s = 0; s < count; ++s)
                std::memcpy(raw_.data() + s * RawForm2Bytes, UnreadMark, SubheaderBytes);
            if (cdio_read_mode2_sectors(disc_.cdio_.get(), raw_.data(), lsn, true, count) != DRIVER_OP_SUCCESS)
                return false;
            for (std::uint32_t s = 0; s < count; ++s)
                if (std::memcmp(raw_.data() + s * RawForm2Bytes, UnreadMark, SubheaderBytes) == 0)
                    return false;
            chunk_.resize(static_cast<std::size_t>(count * Form2Bytes));
            for (std::uint32_t s = 0; s < count; ++s)
                std::memcpy(chunk_.data() + s * Form2Bytes, raw_.data() + s * RawForm2Bytes + SubheaderBytes,
                            Form2Bytes);
        } else {
            chunk_.resize(static_cast<std::size_t>(count * Form1Bytes));
            if (cdio_read_data_sectors(disc_.cdio_.get(), chunk_.data(), lsn, Form1Bytes, count) != DRIVER_OP_SUCCESS) {
                chunk_.clear();
                return false;
            }
        }
        // The last sector of a Form 1 file holds only what is left of it.
        const std::int64_t left = file_.size - chunkStart_;
        if (static_cast<std::int64_t>(chunk_.size()) > left)
            chunk_.resize(static_cast<std::size_t>(left));
        return true;
    }

    Disc disc_;
    DiscFile file_;
    std::int64_t position_ = 0;
    std::int64_t chunkStart_ = 0;
    std::vector<char> chunk_;
    std::vector<char> raw_;
};

std::unique_ptr<ByteStream> Disc::stream(Disc disc, const DiscFile& file)
{
    return std::make_unique<DiscFileStream>(std::move(disc), file);
}

} // namespace platform
