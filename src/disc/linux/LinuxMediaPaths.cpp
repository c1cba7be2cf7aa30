#include "LinuxMediaPaths.h"

namespace platform {

ResolvedMedia LinuxMediaPaths::resolve(std::string_view path)
{
    DriveLetterPaths::Located located = paths_.locate(path);
    if (located.disc.empty())
        return {std::move(located.localPath), {}};
    return {{}, [disc = std::move(located.disc), parts = std::move(located.parts)] {
                return DriveLetterPaths::openOnDisc(disc, parts);
            }};
}

} // namespace platform
