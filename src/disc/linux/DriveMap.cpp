#include "DriveMap.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <system_error>
#include <vector>

namespace platform {

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The N of a block device named srN, or nullopt for any other name.
std::optional<unsigned> opticalNumber(std::string_view name)
{
    if (name.size() < 3 || name.substr(0, 2) != "sr")
        return std::nullopt;
    unsigned number = 0;
    const char* first = name.data() + 2;
    const char* last = name.data() + name.size();
    const auto [end, error] = std::from_chars(first, last, number);
    if (error != std::errc() || end != last)
        return std::nullopt;
    return number;
}

} // namespace

DriveMap DriveMap::fromText(std::string_view text, std::ostream& warnings)
{
    DriveMap map;
    map.fixed_.emplace();
    while (!text.empty()) {
        const std::size_t end = std::min(text.find(';'), text.size());
        const std::string_view entry = trimmed(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
        if (entry.empty())
            continue; // "D=/dev/sr0;" and ";;" are harmless

        const std::size_t equals = entry.find('=');
        const std::string_view letterText = equals == std::string_view::npos ? entry : trimmed(entry.substr(0, equals));
        const std::string_view target =
            equals == std::string_view::npos ? std::string_view{} : trimmed(entry.substr(equals + 1));
        const bool letterOk = letterText.size() == 1 && ((letterText[0] >= 'A' && letterText[0] <= 'Z') ||
                                                         (letterText[0] >= 'a' && letterText[0] <= 'z'));
        if (equals == std::string_view::npos || !letterOk || target.empty()) {
            warnings << "zelvo: ZELVO_DRIVES: ignoring \"" << entry
                     << "\": an entry is a drive letter, \"=\" and a device, disc image or folder\n";
            continue;
        }
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letterText[0])));
        if (map.fixed_->count(letter)) {
            warnings << "zelvo: ZELVO_DRIVES: ignoring \"" << entry << "\": drive " << letter << ": is already given\n";
            continue;
        }
        map.fixed_->emplace(letter, std::string(target));
    }
    return map;
}

DriveMap DriveMap::scanning(std::filesystem::path sysBlock)
{
    DriveMap map;
    map.sysBlock_ = std::move(sysBlock);
    return map;
}

const DriveMap& DriveMap::system()
{
    static const DriveMap map = [] {
        if (const char* text = std::getenv("ZELVO_DRIVES"))
            return fromText(text, std::cerr);
        return scanning();
    }();
    return map;
}

std::optional<std::string> DriveMap::target(char letter) const
{
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    const auto find = [upper](const std::map<char, std::string>& drives) -> std::optional<std::string> {
        const auto found = drives.find(upper);
        if (found == drives.end())
            return std::nullopt;
        return found->second;
    };
    return fixed_ ? find(*fixed_) : find(drives());
}

std::map<char, std::string> DriveMap::drives() const
{
    if (fixed_)
        return *fixed_;

    std::vector<unsigned> numbers;
    std::error_code error;
    for (std::filesystem::directory_iterator it(sysBlock_, error), end; !error && it != end; it.increment(error)) {
        const auto number = opticalNumber(it->path().filename().native());
        if (!number)
            continue;
        // SCSI peripheral type 5 is a CD/DVD device; the file is world-readable.
        std::ifstream typeFile(it->path() / "device" / "type");
        int type = -1;
        if (typeFile >> type && type == 5)
            numbers.push_back(*number);
    }
    std::sort(numbers.begin(), numbers.end());

    std::map<char, std::string> drives;
    char letter = 'D';
    for (const unsigned number : numbers) {
        if (letter > 'Z')
            break;
        drives.emplace(letter++, "/dev/sr" + std::to_string(number));
    }
    return drives;
}

} // namespace platform
