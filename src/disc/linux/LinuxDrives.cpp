#include "LinuxDrives.h"

namespace platform {

unsigned LinuxDrives::GetDriveTypeA(std::string_view root)
{
    const bool rootOfLetter =
        (root.size() == 2 || (root.size() == 3 && (root[2] == '\\' || root[2] == '/'))) && root[1] == ':';
    if (!rootOfLetter)
        return DRIVE_NO_ROOT_DIR;
    return drives_.target(root[0]) ? DRIVE_CDROM : DRIVE_NO_ROOT_DIR;
}

} // namespace platform
