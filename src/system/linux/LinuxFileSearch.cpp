#include "LinuxFileSearch.h"

#include "BackslashPaths.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace platform {

namespace {

bool isNormalFile(const std::string& folder, const std::string& name)
{
    if (name.empty() || name.front() == '.')
        return false;
    struct stat info {};
    return ::stat((folder + name).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

std::string LinuxFileSearch::Dir(std::string_view pathname)
{
    const std::string path = withSlashes(pathname);
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);

    if (name.find_first_of("*?") == std::string::npos)
        return isNormalFile(folder, name) ? name : std::string();

    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.empty() ? "." : folder.c_str()), ::closedir);
    if (!dir)
        return {};
    std::vector<std::string> matches;
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string candidate = entry->d_name;
        if (::fnmatch(name.c_str(), candidate.c_str(), FNM_PERIOD) == 0 && isNormalFile(folder, candidate))
            matches.push_back(candidate);
    }
    if (matches.empty())
        return {};
    return *std::min_element(matches.begin(), matches.end());
}

} // namespace platform
