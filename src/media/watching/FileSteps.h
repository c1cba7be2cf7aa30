#pragma once

#include <QObject>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace media {

// "Episode 2" before "Episode 10": runs of digits compare by value, the rest
// without regard to letter case; names equal so far fall back to plain order.
bool naturalLess(const std::string& a, const std::string& b);

// Names of the films and sound files the player lists (by extension, any case).
bool isMediaName(const std::string& name);
// Subtitle files mpv can add to a playing file.
bool isSubtitleName(const std::string& name);

// The media files of a folder (names only), in natural order. Entries that
// cannot be read are left out; an unreadable folder gives none.
std::vector<std::string> mediaFilesIn(const std::string& folder);

// The name step places on from current in names (natural order); none past
// either end, no wrapping. A current name not in the list counts where it would sort.
std::optional<std::string> neighbour(const std::vector<std::string>& names, const std::string& current, int step);

struct FileStep {
    std::optional<std::string> path; // the file to open, absolute
    int step = 0;
};

// Finds the file step places from path in its folder off the UI thread (a
// folder of thousands of names, or a slow disk, must not hold the window);
// done runs on context's thread, unless context is gone by then.
void findNeighbour(const std::string& path, int step, QObject* context, std::function<void(FileStep)> done);

} // namespace media
