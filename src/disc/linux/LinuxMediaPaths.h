#pragma once

#include "DriveLetterPaths.h"
#include "DriveMap.h"
#include "MediaPaths.h"

namespace platform {

// Linux paths are their own media. A drive-letter path on a folder drive is
// the real file it leads to; on a disc drive it is a stream read from the
// disc, since the kernel cannot read Video CD tracks through a mounted disc.
//
// resolve throws forms::RuntimeError "Cannot open PATH: REASON" when a
// drive-letter path leads to no file now. The stream opener may run on any
// thread (mpv opens streams on its own). It reads the disc afresh, so a disc
// changed meanwhile is not misread; it throws forms::RuntimeError with the
// reason alone, and never returns null.
class LinuxMediaPaths : public MediaPaths {
  public:
    LinuxMediaPaths() : LinuxMediaPaths(DriveMap::system()) {}
    explicit LinuxMediaPaths(const DriveMap& drives) : paths_(drives) {}

    ResolvedMedia resolve(std::string_view path) override;

  private:
    DriveLetterPaths paths_;
};

} // namespace platform
