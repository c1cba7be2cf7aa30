#include "LinuxFileProbe.h"

#include "RuntimeError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace platform {

void LinuxFileProbe::OpenForInput(std::string_view path)
{
    const DriveLetterPaths::Located located = paths_.locate(path);
    if (located.localPath.empty() && !located.disc.empty())
        return; // locate has read the disc's folder and found the file

    const int fd = ::open(located.localPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw forms::RuntimeError("Cannot open " + std::string(path) + ": " + std::strerror(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        throw forms::RuntimeError("Cannot open " + std::string(path) + ": it is a folder");
    }
    open_.push_back(fd);
}

void LinuxFileProbe::CloseAll()
{
    for (const int fd : open_)
        ::close(fd);
    open_.clear();
}

} // namespace platform
