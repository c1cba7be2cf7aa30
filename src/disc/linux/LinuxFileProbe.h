#pragma once

#include "DriveLetterPaths.h"
#include "DriveMap.h"
#include "FileProbe.h"

#include <vector>

namespace platform {

// Opens files for reading as an existence test: Linux paths, and drive-letter
// paths on the drives of the drive map (folders and discs alike).
class LinuxFileProbe : public FileProbe {
  public:
    LinuxFileProbe() : LinuxFileProbe(DriveMap::system()) {}
    explicit LinuxFileProbe(const DriveMap& drives) : paths_(drives) {}
    LinuxFileProbe(const LinuxFileProbe&) = delete;
    LinuxFileProbe& operator=(const LinuxFileProbe&) = delete;
    ~LinuxFileProbe() override { CloseAll(); }

    // A folder cannot be opened as a file; a pipe or device is opened without
    // waiting for it.
    void OpenForInput(std::string_view path) override;
    void CloseAll() override;

    // Files open now (a file on a disc is checked, not held open).
    std::size_t openCount() const { return open_.size(); }

  private:
    DriveLetterPaths paths_;
    std::vector<int> open_;
};

} // namespace platform
