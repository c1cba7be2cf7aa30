#include "Track.h"

#include <QCoreApplication>

namespace media {

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

} // namespace media
