#include "MpvNode.h"

#include <mpv/client.h>

#include <string_view>

namespace media {

const mpv_node* nodeMember(const mpv_node& map, std::string_view key)
{
    if (map.format != MPV_FORMAT_NODE_MAP)
        return nullptr;
    for (int i = 0; i < map.u.list->num; ++i)
        if (key == map.u.list->keys[i])
            return &map.u.list->values[i];
    return nullptr;
}

namespace {

QString text(const mpv_node& map, std::string_view key)
{
    const mpv_node* value = nodeMember(map, key);
    return value && value->format == MPV_FORMAT_STRING ? QString::fromUtf8(value->u.string) : QString();
}

bool flag(const mpv_node& map, std::string_view key)
{
    const mpv_node* value = nodeMember(map, key);
    return value && value->format == MPV_FORMAT_FLAG && value->u.flag;
}

} // namespace

std::vector<Track> tracksFrom(const mpv_node& list)
{
    std::vector<Track> tracks;
    if (list.format != MPV_FORMAT_NODE_ARRAY)
        return tracks;
    for (int i = 0; i < list.u.list->num; ++i) {
        const mpv_node& entry = list.u.list->values[i];
        const QString type = text(entry, "type");
        const mpv_node* id = nodeMember(entry, "id");
        if ((type != QLatin1String("audio") && type != QLatin1String("sub")) || !id || id->format != MPV_FORMAT_INT64)
            continue;
        Track track;
        track.kind = type == QLatin1String("audio") ? Track::Kind::Audio : Track::Kind::Subtitle;
        track.id = id->u.int64;
        track.language = text(entry, "lang");
        track.title = text(entry, "title");
        track.selected = flag(entry, "selected");
        track.external = flag(entry, "external");
        tracks.push_back(track);
    }
    return tracks;
}

std::optional<std::int64_t> integerMember(const mpv_node& map, std::string_view key)
{
    const mpv_node* value = nodeMember(map, key);
    if (!value)
        return std::nullopt;
    if (value->format == MPV_FORMAT_INT64)
        return value->u.int64;
    if (value->format == MPV_FORMAT_DOUBLE)
        return static_cast<std::int64_t>(value->u.double_);
    return std::nullopt;
}

std::optional<QSize> pictureOf(const mpv_node& params)
{
    const auto width = integerMember(params, "dw");
    const auto height = integerMember(params, "dh");
    if (!width || !height || *width <= 0 || *height <= 0)
        return std::nullopt;
    const auto rotate = integerMember(params, "rotate").value_or(0);
    if (rotate % 180 == 90)
        return QSize(static_cast<int>(*height), static_cast<int>(*width));
    return QSize(static_cast<int>(*width), static_cast<int>(*height));
}

} // namespace media
