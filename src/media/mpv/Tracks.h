#pragma once

#include <QString>

#include <cstdint>
#include <string_view>
#include <vector>

struct mpv_node;
class QAction;
class QMenu;

namespace media {

// An audio or subtitle track of the open media, as mpv lists it.
struct Track {
    enum class Kind { Audio, Subtitle };
    Kind kind = Kind::Audio;
    std::int64_t id = 0;
    QString language;
    QString title;
    bool selected = false;
    bool external = false; // a subtitle file beside the media
};

// The value under key in one of mpv's maps; null if it is not a map or has no such key.
const mpv_node* nodeMember(const mpv_node& map, std::string_view key);

// The audio and subtitle tracks of mpv's track-list, in its order; video tracks are left out.
std::vector<Track> tracksFrom(const mpv_node& list);

// "eng - Director's comments", "eng", "Director's comments" or "Track 2".
QString trackLabel(const Track& track);

// Adds the track to the menu: its label cut to about 40 characters, so that
// a title of any length leaves the menu a menu, and then whole in a tooltip.
QAction* addTrackAction(QMenu& menu, const Track& track);

} // namespace media
