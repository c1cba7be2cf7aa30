#pragma once

#include <string>
#include <string_view>

namespace media {

// "Cannot open "path": reason", the words of every refusal to open.
std::string refusal(const std::string& path, std::string_view reason);

// Refuses, with a RuntimeError, what the engine could only fail on later and
// what it must not be handed at all: a missing or unreadable file, a folder
// (it would be played as a playlist of its files), anything but a regular file.
// path is as the user gave it, local the file it names.
void checkReadable(const std::string& path, const std::string& local);

} // namespace media
