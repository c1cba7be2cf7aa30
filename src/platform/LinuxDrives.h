#pragma once

#include "platform/Drives.h"
#include "platform/FileProbe.h"
#include "platform/MediaPaths.h"

namespace platform {

// Drive letters on Linux (not built yet: no letter is a drive).
class LinuxDrives : public Drives {
public:
    unsigned GetDriveTypeA(std::string_view root) override;
};

// Opens files for reading as an existence test.
class LinuxFileProbe : public FileProbe {
public:
    void OpenForInput(std::string_view path) override;
    void CloseAll() override {}
};

// Plain paths are their own media (drive-letter paths not built yet).
class LinuxMediaPaths : public MediaPaths {
public:
    ResolvedMedia resolve(std::string_view path) override;
};

}  // namespace platform
