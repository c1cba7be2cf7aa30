#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A path on a drive letter, such as D:\mpegav\avseq01.dat.
struct DrivePath {
    char letter = 0; // upper case
    // The names from the root down, with "." dropped and ".." applied; a ".."
    // at the root stays at the root, as on the drives the path was written for.
    std::vector<std::string> parts;

    // Splits a path of the form X:\dir\file (also with "/", and X:dir\file,
    // which is taken from the root). nullopt when the text does not begin
    // with a letter and a colon.
    static std::optional<DrivePath> parse(std::string_view path);

    // Whether a name on a disc or in a folder answers to a requested name:
    // letter case does not count, nor a version suffix such as ";1", nor the
    // dot that discs write after a name without an extension.
    static bool sameName(std::string_view requested, std::string_view found);
};

} // namespace platform
