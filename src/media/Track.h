#pragma once

#include <QString>

#include <cstdint>

namespace media {

// An audio or subtitle track of the open media, as the engine lists it.
struct Track {
    enum class Kind { Audio, Subtitle };
    Kind kind = Kind::Audio;
    std::int64_t id = 0;
    QString language;
    QString title;
    bool selected = false;
    bool external = false; // a subtitle file beside the media
};

// "eng - Director's comments", "eng", "Director's comments" or "Track 2".
QString trackLabel(const Track& track);

} // namespace media
