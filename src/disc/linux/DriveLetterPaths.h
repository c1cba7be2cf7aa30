#pragma once

#include "DriveMap.h"
#include "MediaPaths.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Finds what a path such as D:\mpegav\avseq01.dat names on Linux: a file in
// the folder that stands for drive D:, or a file on the disc (or disc image)
// of drive D:, each part of the path matched without regard to letter case
// and to a ";1" version suffix. A path that is not on a drive letter of the
// map is a Linux path and names itself.
class DriveLetterPaths {
  public:
    explicit DriveLetterPaths(const DriveMap& drives) : drives_(drives) {}

    struct Located {
        // A file with a real path: a plain path as given, or a folder drive's file.
        std::string localPath;
        // Otherwise a file on a disc: the drive's device or image, and the
        // names that lead to the file.
        std::string disc;
        std::vector<std::string> parts;
    };

    // Checks that a drive-letter path leads to a file (not a folder) now.
    // Throws forms::RuntimeError "Cannot open PATH: REASON" when it does not.
    // Plain paths are not checked.
    Located locate(std::string_view path) const;

    // Opens a file that locate found on a disc, reading the disc afresh. Throws
    // forms::RuntimeError whose text is the reason alone (whoever asked knows
    // the path); never returns null.
    static std::unique_ptr<ByteStream> openOnDisc(const std::string& disc, const std::vector<std::string>& parts);

  private:
    const DriveMap& drives_;
};

} // namespace platform
