#include "Disc.h"

#include "DrivePath.h"
#include "IsoDirectory.h"
#include "RuntimeError.h"

#include <cdio/cdio.h>
#include <cdio/logging.h>

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
#include <utility>

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
// A directory read a piece at a time: most end in their first sector.
constexpr std::uint32_t DirectoryChunk = 16;
// No disc has a directory this large (tens of thousands of names); a damaged
// size must not make a lookup read the whole disc.
constexpr std::uint32_t MaxDirectorySectors = 1024;
// Cue sheets and TOC files are a few lines; anything larger is not one.
constexpr off_t MaxSheetBytes = 1 << 20;

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
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
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

std::string lowerExtension(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

driver_id_t imageDriver(const std::string& image)
{
    const std::string extension = lowerExtension(image);
    if (extension == ".cue" || extension == ".bin")
        return DRIVER_BINCUE;
    if (extension == ".toc")
        return DRIVER_CDRDAO;
    if (extension == ".nrg")
        return DRIVER_NRG;
    fail(image + " is not a disc image this player reads (.cue, .bin, .toc or .nrg)");
}

// Opens a file libcdio is to read, without waiting for it: a FIFO or a device
// that blocks would hold the window forever. Only a regular file is safe to
// hand over; a drive is opened as a device, never as a file of an image.
Descriptor openReadable(const std::string& path)
{
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.get() < 0)
        fail(openProblem(path, errno));
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        fail(openProblem(path, errno));
    if (!S_ISREG(info.st_mode))
        fail(path + " is not a disc image file");
    return fd;
}

// The text of a cue sheet or TOC file, read through a descriptor already checked.
std::string sheetText(const std::string& path)
{
    const Descriptor fd = openReadable(path);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || info.st_size > MaxSheetBytes)
        fail("the disc image " + path + " is damaged");
    std::string text(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(fd.get(), text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail(openProblem(path, errno));
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    text.resize(got);
    return text;
}

} // namespace

SheetFiles sheetFiles(std::string_view text, bool toc)
{
    // Read the way libcdio reads: a line at a time into a fixed buffer (512
    // bytes for a TOC file, 4096 for a cue sheet), words split by strtok. A
    // longer line or a NUL byte would make it see other words than we do.
    const std::size_t longest = (toc ? 512 : 4096) - 2;
    SheetFiles sheet;
    if (text.find('\0') != std::string_view::npos) {
        sheet.unreadable = true;
        return sheet;
    }
    constexpr std::string_view Blank = " \t\r";
    // A name runs to a quote, tab or line end: spaces belong to it.
    constexpr std::string_view NameEnd = "\"\t\r";
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        if (line.size() > longest) {
            sheet.unreadable = true;
            return sheet;
        }
        if (toc)
            line = line.substr(0, line.find("//"));
        line.remove_prefix(std::min(line.size(), line.find_first_not_of(Blank)));
        const std::size_t keywordEnd = std::min(line.size(), line.find_first_of(Blank));
        std::string keyword(line.substr(0, keywordEnd));
        std::transform(keyword.begin(), keyword.end(), keyword.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (keyword == "TRACK") {
            sheet.tracks = true;
            continue;
        }
        // Every keyword after which libcdio opens a file, of either kind of sheet.
        if (keyword != "FILE" && keyword != "DATAFILE" && keyword != "AUDIOFILE" && keyword != "CDTEXTFILE")
            continue;
        // The one character that ended the keyword is consumed with it.
        std::string_view rest = line.substr(std::min(line.size(), keywordEnd + 1));
        rest.remove_prefix(std::min(rest.size(), rest.find_first_not_of(NameEnd)));
        const std::string_view name = rest.substr(0, rest.find_first_of(NameEnd));
        if (!name.empty())
            sheet.files.emplace_back(name);
    }
    return sheet;
}

namespace {

// Every file that libcdio would open for the image, checked as openReadable does.
void checkImageFiles(const std::string& image)
{
    const std::string extension = lowerExtension(image);
    std::string sheet = image;
    if (extension == ".bin") {
        // libcdio reads the .bin through the cue sheet of the same name.
        openReadable(image);
        sheet = std::filesystem::path(image).replace_extension(".cue").string();
        struct stat info {};
        if (::lstat(sheet.c_str(), &info) != 0)
            return;
    } else if (extension != ".cue" && extension != ".toc") {
        openReadable(image);
        return;
    }
    const bool toc = lowerExtension(sheet) == ".toc";
    const SheetFiles files = sheetFiles(sheetText(sheet), toc);
    if (files.unreadable)
        fail("the disc image " + sheet + " is damaged");
    // A sheet without a track is no disc (and costs libcdio memory it never frees).
    if (!files.tracks || files.files.empty())
        fail("the disc image " + sheet + " holds no track");
    const std::filesystem::path folder = std::filesystem::path(sheet).parent_path();
    for (const std::string& name : files.files) {
        openReadable(name.front() == '/' ? name : (folder / name).string());
        // For a TOC file libcdio also opens the name as written, from the
        // working folder; where that is another file, it must pass too.
        struct stat info {};
        if (toc && name.front() != '/' && ::lstat(name.c_str(), &info) == 0)
            openReadable(name);
    }
}

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
        // Optical drives are block devices; a character device may block libcdio.
        if (!S_ISBLK(info.st_mode))
            fail(target + " is not an optical drive");
    } else if (S_ISREG(info.st_mode)) {
        driver = imageDriver(target);
        // libcdio says only "no"; the reason comes from opening it ourselves,
        // and so does any file of the image that could stall it.
        checkImageFiles(target);
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

// The records of a directory. Reads no further than its recorded size, the
// end of the disc or MaxDirectorySectors, whichever comes first: a damaged
// size costs a lookup no more than a few sectors.
std::vector<IsoRecord> Disc::directory(const IsoRecord& folder) const
{
    const lsn_t end = cdio_get_disc_last_lsn(cdio_.get());
    if (end == CDIO_INVALID_LSN || folder.lsn >= static_cast<std::uint32_t>(end))
        fail(unreadable());
    std::uint32_t sectors =
        static_cast<std::uint32_t>((std::uint64_t{folder.size} + iso::SectorBytes - 1) / iso::SectorBytes);
    sectors = std::min({sectors, static_cast<std::uint32_t>(end) - folder.lsn, MaxDirectorySectors});

    iso::Records found;
    std::string chunk;
    for (std::uint32_t first = 0; first < sectors && !found.ended; first += DirectoryChunk) {
        const std::uint32_t count = std::min(DirectoryChunk, sectors - first);
        chunk.assign(count * iso::SectorBytes, '\0');
        if (cdio_read_data_sectors(cdio_.get(), chunk.data(), static_cast<lsn_t>(folder.lsn + first), iso::SectorBytes,
                                   count) != DRIVER_OP_SUCCESS)
            fail(unreadable());
        lookupSectors_ += count;
        iso::readRecords(chunk, found);
    }
    return std::move(found.records);
}

DiscFile Disc::find(const std::vector<std::string>& parts) const
{
    if (parts.empty())
        fail("it is the disc's root folder");

    std::string descriptor(iso::SectorBytes, '\0');
    if (cdio_read_data_sectors(cdio_.get(), descriptor.data(), iso::DescriptorSector, iso::SectorBytes, 1) !=
        DRIVER_OP_SUCCESS)
        fail(unreadable());
    ++lookupSectors_;
    std::optional<IsoRecord> folder = iso::rootOf(descriptor);
    if (!folder)
        fail("the disc in " + target_ + " has no file system this player reads");

    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::vector<IsoRecord> records = directory(*folder);
        const IsoRecord* match = nullptr;
        for (const IsoRecord& entry : records) {
            const std::string_view name = entry.name;
            if (name == "." || name == ".." || !DrivePath::sameName(parts[i], name))
                continue;
            if (name == parts[i] || !match)
                match = &entry;
            if (name == parts[i])
                break;
        }

        const bool last = i + 1 == parts.size();
        if (!match)
            fail(last ? "the disc has no such file" : "the disc has no folder " + parts[i]);
        if (!last) {
            if (!match->folder)
                fail(parts[i] + " on the disc is a file, not a folder");
            folder = *match;
            continue;
        }
        if (match->folder)
            fail("it is a folder");

        DiscFile file;
        file.name = match->name;
        file.form2 = match->form2;
        // A directory counts every sector as 2048 bytes, also a Form 2 one.
        file.sectors = static_cast<std::uint32_t>((std::int64_t{match->size} + Form1Bytes - 1) / Form1Bytes);
        // A damaged entry, or an image cut short, must not send reads past the end of the disc.
        const lsn_t end = cdio_get_disc_last_lsn(cdio_.get());
        if (end == CDIO_INVALID_LSN || match->lsn >= static_cast<std::uint32_t>(end))
            fail("the file lies beyond the end of the disc in " + target_);
        file.lsn = static_cast<std::int32_t>(match->lsn);
        file.sectors = std::min<std::uint32_t>(file.sectors, static_cast<std::uint32_t>(end - file.lsn));
        file.size = file.form2 ? std::int64_t{file.sectors} * Form2Bytes
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
