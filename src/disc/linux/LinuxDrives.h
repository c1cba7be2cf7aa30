#pragma once

#include "DriveMap.h"
#include "Drives.h"
#include "LinuxFileProbe.h"
#include "LinuxMediaPaths.h"

namespace platform {

// Drive letters on Linux: a letter of the drive map is an optical drive,
// every other letter is no drive.
class LinuxDrives : public Drives {
  public:
    LinuxDrives() : LinuxDrives(DriveMap::system()) {}
    explicit LinuxDrives(const DriveMap& drives) : drives_(drives) {}

    // root: a letter and a colon, with or without a backslash after it.
    unsigned GetDriveTypeA(std::string_view root) override;

  private:
    const DriveMap& drives_;
};

} // namespace platform
