#include "MediaCheck.h"

#include "RuntimeError.h"

#include <cctype>
#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace media {

namespace {

std::string reasonFor(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return "no such file";
    case EACCES:
    case EPERM:
        return "permission denied";
    default: {
        std::string text = std::generic_category().message(error);
        if (!text.empty())
            text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
        return text;
    }
    }
}

} // namespace

std::string refusal(const std::string& path, std::string_view reason)
{
    return "Cannot open \"" + path + "\": " + std::string(reason);
}

void checkReadable(const std::string& path, const std::string& local)
{
    struct stat info {};
    if (::stat(local.c_str(), &info) != 0)
        throw forms::RuntimeError(refusal(path, reasonFor(errno)));
    if (S_ISDIR(info.st_mode))
        throw forms::RuntimeError(refusal(path, "is a directory"));
    if (!S_ISREG(info.st_mode))
        throw forms::RuntimeError(refusal(path, "not a regular file"));
    const int file = ::open(local.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file < 0)
        throw forms::RuntimeError(refusal(path, reasonFor(errno)));
    ::close(file);
}

} // namespace media
