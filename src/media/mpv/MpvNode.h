#pragma once

#include "Track.h"

#include <QSize>

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

struct mpv_node;

namespace media {

// The value under key in one of mpv's maps; null if it is not a map or has no such key.
const mpv_node* nodeMember(const mpv_node& map, std::string_view key);
// A whole number under key, also from a double; none if absent or of another kind.
std::optional<std::int64_t> integerMember(const mpv_node& map, std::string_view key);

// The audio and subtitle tracks of mpv's track-list, in its order; video tracks are left out.
std::vector<Track> tracksFrom(const mpv_node& list);

// The picture as shown, from video-out-params: mpv's display size, which has
// the pixel aspect applied, turned if the video is.
std::optional<QSize> pictureOf(const mpv_node& params);

} // namespace media
