#pragma once

#include <string>
#include <string_view>

namespace platform {

// Searching for a normal file: not hidden, not a system file, not a folder.
class FileSearch {
  public:
    virtual ~FileSearch() = default;
    // The name (without its folder) of the first normal file that pathname
    // names; its last part may hold the wildcards * and ?. "" when none is there.
    virtual std::string Dir(std::string_view pathname) = 0;
};

} // namespace platform
