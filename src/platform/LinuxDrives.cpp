#include "platform/LinuxDrives.h"

#include "platform/forms/RuntimeError.h"

#include <fstream>
#include <string>

namespace platform {

unsigned LinuxDrives::GetDriveTypeA(std::string_view)
{
    return DRIVE_NO_ROOT_DIR;
}

void LinuxFileProbe::OpenForInput(std::string_view path)
{
    std::ifstream file{std::string(path)};
    if (!file)
        throw forms::RuntimeError("File not found: " + std::string(path));
}

ResolvedMedia LinuxMediaPaths::resolve(std::string_view path)
{
    return {std::string(path), {}};
}

}  // namespace platform
