#pragma once

#include "IsoDirectory.h"
#include "MediaPaths.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using CdIo_t = struct _CdIo;

namespace platform {

// A file in a disc's ISO 9660 file system.
struct DiscFile {
    std::string name; // as the disc writes it, e.g. AVSEQ01.DAT;1
    std::int32_t lsn = 0;
    std::uint32_t sectors = 0;
    // Mode 2 Form 2 (Video CD tracks): 2324 data bytes a sector instead of 2048.
    bool form2 = false;
    // Bytes of data: all of every sector for Form 2, the recorded size otherwise.
    std::int64_t size = 0;
};

// The files a cue sheet or TOC file (toc) names, exactly as libcdio reads
// them, and whether it has a TRACK line. unreadable: a sheet libcdio would
// read other names from than we can tell (an overlong line, a NUL byte).
struct SheetFiles {
    std::vector<std::string> files;
    bool tracks = false;
    bool unreadable = false;
};
SheetFiles sheetFiles(std::string_view text, bool toc);

// The disc in an optical drive, or a disc image, read sector by sector with
// libcdio, so that Video CD tracks can be read where the kernel's isofs
// cannot. Every failure is a forms::RuntimeError whose text is the reason,
// such as "there is no disc in /dev/sr0"; a drive without a disc answers at
// once, it is never waited for.
class Disc {
  public:
    // target: a device (/dev/sr0) or an image (.cue, .bin, .toc, .nrg). Every
    // file libcdio would open for an image must be a regular file, checked
    // without waiting, so that a FIFO or a device in its place cannot stall
    // the caller.
    static Disc open(const std::string& target);

    // The file those names lead to from the root, each matched as
    // DrivePath::sameName does (an exact match first).
    DiscFile find(const std::vector<std::string>& parts) const;

    // The file's data as a seekable stream, which keeps the disc open.
    static std::unique_ptr<ByteStream> stream(Disc disc, const DiscFile& file);

    const std::string& target() const { return target_; }

    // Sectors find has read so far: what a lookup costs, whatever the disc.
    std::uint64_t lookupSectors() const { return lookupSectors_; }

  private:
    struct Close {
        void operator()(CdIo_t* cdio) const;
    };
    Disc(std::unique_ptr<CdIo_t, Close> cdio, std::string target, bool device);
    // Why the disc cannot be read, worded for the user.
    std::string unreadable() const;
    std::vector<IsoRecord> directory(const IsoRecord& folder) const;

    std::unique_ptr<CdIo_t, Close> cdio_;
    std::string target_;
    bool device_ = false;
    mutable std::uint64_t lookupSectors_ = 0;

    friend class DiscFileStream;
};

} // namespace platform
