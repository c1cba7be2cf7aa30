// The ZELVO_DRIVES text: any text gives a map of letters A to Z to non-empty
// targets, and each entry left out is reported on a line of its own.
#include "DriveMap.h"

#include <cstdlib>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::ostringstream warnings;
    const platform::DriveMap map = platform::DriveMap::fromText(text, warnings);
    for (const auto& [letter, target] : map.drives()) {
        if (letter < 'A' || letter > 'Z' || target.empty() || map.target(letter) != target ||
            map.target(static_cast<char>(letter - 'A' + 'a')) != target)
            std::abort();
    }
    if (map.drives().size() > 26)
        std::abort();
    return 0;
}
