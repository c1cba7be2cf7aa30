#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace platform {

// Paths written the Windows way ("C:\tools\x.exe", "\usr\bin\x") name the same
// folders on Linux with "\" read as "/".
inline std::string withSlashes(std::string_view path)
{
    std::string result(path);
    std::replace(result.begin(), result.end(), '\\', '/');
    return result;
}

} // namespace platform
