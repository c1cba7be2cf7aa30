#pragma once

#include <string_view>

namespace platform {

inline constexpr unsigned DRIVE_NO_ROOT_DIR = 1;
inline constexpr unsigned DRIVE_CDROM = 5;

// The kind of drive behind a drive letter such as "D:".
class Drives {
  public:
    virtual ~Drives() = default;
    virtual unsigned GetDriveTypeA(std::string_view root) = 0;
};

} // namespace platform
