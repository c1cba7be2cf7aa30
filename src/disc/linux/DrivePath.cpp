#include "DrivePath.h"

#include <algorithm>

namespace platform {

namespace {

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The part of a name that counts when names are compared.
std::string_view comparable(std::string_view name)
{
    const std::size_t semicolon = name.rfind(';');
    if (semicolon != std::string_view::npos &&
        std::all_of(name.begin() + semicolon + 1, name.end(), [](char c) { return c >= '0' && c <= '9'; }))
        name = name.substr(0, semicolon);
    if (name.size() > 1 && name.back() == '.' && name != "..")
        name.remove_suffix(1);
    return name;
}

} // namespace

std::optional<DrivePath> DrivePath::parse(std::string_view path)
{
    if (path.size() < 2 || path[1] != ':')
        return std::nullopt;
    const char letter = path[0];
    if (!((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')))
        return std::nullopt;

    DrivePath result;
    result.letter = static_cast<char>(letter >= 'a' ? letter - 'a' + 'A' : letter);
    std::string_view rest = path.substr(2);
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find_first_of("\\/"), rest.size());
        const std::string_view part = rest.substr(0, end);
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!result.parts.empty())
                result.parts.pop_back();
            continue;
        }
        result.parts.emplace_back(part);
    }
    return result;
}

bool DrivePath::sameName(std::string_view requested, std::string_view found)
{
    const std::string_view a = comparable(requested);
    const std::string_view b = comparable(found);
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

} // namespace platform
