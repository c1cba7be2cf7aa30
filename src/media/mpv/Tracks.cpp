#include "Tracks.h"

#include <QAction>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QMenu>
#include <QTextDocument>

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

QString trackLabel(const Track& track)
{
    if (!track.language.isEmpty() && !track.title.isEmpty())
        return track.language + QStringLiteral(" - ") + track.title;
    if (!track.language.isEmpty())
        return track.language;
    if (!track.title.isEmpty())
        return track.title;
    return QCoreApplication::translate("media::Track", "Track %1").arg(track.id);
}

QAction* addTrackAction(QMenu& menu, const Track& track)
{
    constexpr int LabelCharacters = 40;
    const QString label = trackLabel(track);
    const QFontMetrics metrics = menu.fontMetrics();
    const QString shown = metrics.elidedText(label, Qt::ElideRight, LabelCharacters * metrics.averageCharWidth());
    QAction* action = menu.addAction(QString(shown).replace(QLatin1Char('&'), QStringLiteral("&&")));
    if (shown != label) {
        // As text: a title is whatever the file says, markup included.
        action->setToolTip(Qt::convertFromPlainText(label, Qt::WhiteSpaceNormal));
        menu.setToolTipsVisible(true);
    }
    return action;
}

} // namespace media
