#include "MprisService.h"

#include "FileUri.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <algorithm>
#include <cmath>
#include <limits>

#include <unistd.h>

namespace platform {

namespace {

const QString ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString NoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

} // namespace

MprisService::MprisService(RemoteControl& remote, MprisIdentity identity, QObject* parent)
    : QObject(parent), remote_(remote), identity_(std::move(identity)), connection_(QString())
{
    remote_.changed = [this] { refresh(); };
    remote_.seeked = [this](std::int64_t position) { emit seeked(position); };
}

MprisService::~MprisService()
{
    remote_.changed = nullptr;
    remote_.seeked = nullptr;
    // The name goes with the connection; asking the bus for it back would wait on the bus at exit.
    if (object_)
        connection_.unregisterObject(ObjectPath);
}

bool MprisService::start(QDBusConnection connection)
{
    // No bus, no service: nothing is printed and nothing is tried again.
    if (!connection.isConnected())
        return false;
    connection_ = connection;
    object_ = new QObject(this);
    new MprisRootAdaptor(object_, *this);
    auto* player = new MprisPlayerAdaptor(object_, *this);
    connect(this, &MprisService::seeked, player, &MprisPlayerAdaptor::Seeked);
    if (!connection_.registerObject(ObjectPath, object_, QDBusConnection::ExportAdaptors)) {
        delete object_;
        object_ = nullptr;
        return false;
    }
    const QString name = QStringLiteral("org.mpris.MediaPlayer2.") + identity_.desktopEntry;
    // A second player leaves the plain name to the first one.
    requestName({name, name + QStringLiteral(".instance") + QString::number(::getpid())});
    return true;
}

void MprisService::requestName(const QStringList& candidates)
{
    if (candidates.isEmpty()) {
        connection_.unregisterObject(ObjectPath);
        delete object_;
        object_ = nullptr;
        return;
    }
    // Asked without waiting: the bus may be slow to answer, and the window
    // must not wait for it. Clients find the player once the name is ours.
    constexpr uint DoNotQueue = 0x4;
    constexpr uint PrimaryOwner = 1;
    QDBusMessage call =
        QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("RequestName"));
    call << candidates.first() << DoNotQueue;
    auto* watcher = new QDBusPendingCallWatcher(connection_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, candidates](QDBusPendingCallWatcher* answer) {
        answer->deleteLater();
        const QDBusPendingReply<uint> reply = *answer;
        if (reply.isError() || reply.value() != PrimaryOwner) {
            requestName(candidates.mid(1));
            return;
        }
        busName_ = candidates.first();
        announced_ = playerProperties();
    });
}

QDBusObjectPath MprisService::trackPath() const
{
    const std::uint64_t id = remote_.track().id;
    return QDBusObjectPath(id == 0 ? NoTrack : QStringLiteral("/org/zelvo/track/%1").arg(id));
}

QVariantMap MprisService::metadata() const
{
    const TrackInfo track = remote_.track();
    QVariantMap map;
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(trackPath()));
    if (track.id == 0)
        return map;
    if (track.lengthUs)
        map.insert(QStringLiteral("mpris:length"), qlonglong(*track.lengthUs));
    if (!track.title.empty())
        map.insert(QStringLiteral("xesam:title"), QString::fromStdString(track.title));
    if (!track.url.empty())
        map.insert(QStringLiteral("xesam:url"), QString::fromStdString(track.url));
    return map;
}

QString MprisService::playbackStatus() const
{
    switch (remote_.status()) {
    case PlaybackStatus::Playing:
        return QStringLiteral("Playing");
    case PlaybackStatus::Paused:
        return QStringLiteral("Paused");
    case PlaybackStatus::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

void MprisService::seekBy(qlonglong offsetUs)
{
    if (!remote_.canSeek())
        return;
    const std::optional<std::int64_t> length = remote_.track().lengthUs;
    // Saturated: a client may ask for any offset, up to the largest a 64-bit number holds.
    const qlonglong position = remote_.positionUs();
    const qlonglong target = offsetUs > 0 && position > std::numeric_limits<qlonglong>::max() - offsetUs
                                 ? std::numeric_limits<qlonglong>::max()
                                 : std::max<qlonglong>(0, position + offsetUs);
    // Past the end is the next track, as the interface asks.
    if (length && target >= *length) {
        remote_.next();
        return;
    }
    remote_.setPositionUs(target);
}

void MprisService::setPosition(const QDBusObjectPath& track, qlonglong positionUs)
{
    // A request meant for a track no longer playing is stale: ignored, as is a place outside the track.
    if (!remote_.canSeek() || track != trackPath() || positionUs < 0)
        return;
    const std::optional<std::int64_t> length = remote_.track().lengthUs;
    if (length && positionUs > *length)
        return;
    remote_.setPositionUs(positionUs);
}

void MprisService::setVolume(double volume)
{
    if (!std::isfinite(volume))
        return;
    remote_.setVolume(std::clamp(volume, 0.0, 1.0));
}

QVariantMap MprisService::playerProperties() const
{
    // Everything a client may watch, except Position, which moves all the time.
    return {
        {QStringLiteral("PlaybackStatus"), playbackStatus()},
        {QStringLiteral("Metadata"), metadata()},
        {QStringLiteral("Volume"), remote_.volume()},
        {QStringLiteral("Rate"), remote_.rate()},
        {QStringLiteral("CanGoNext"), remote_.canGoNext()},
        {QStringLiteral("CanGoPrevious"), remote_.canGoPrevious()},
        {QStringLiteral("CanPlay"), remote_.canPlay()},
        {QStringLiteral("CanPause"), remote_.canPause()},
        {QStringLiteral("CanSeek"), remote_.canSeek()},
    };
}

void MprisService::refresh()
{
    if (busName_.isEmpty())
        return;
    const QVariantMap now = playerProperties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (announced_.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    announced_ = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(ObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << PlayerInterface << changed << QStringList();
    connection_.send(signal);
}

void MprisPlayerAdaptor::setRate(double rate)
{
    // A rate of 0 is a pause by the MPRIS rules; outside the declared range is refused.
    if (!std::isfinite(rate) || rate < RemoteControl::MinimumRate || rate > RemoteControl::MaximumRate)
        return;
    service_.remote().setRate(rate);
}

MprisRootAdaptor::MprisRootAdaptor(QObject* object, MprisService& service)
    : QDBusAbstractAdaptor(object), service_(service)
{
}

MprisPlayerAdaptor::MprisPlayerAdaptor(QObject* object, MprisService& service)
    : QDBusAbstractAdaptor(object), service_(service)
{
}

void MprisPlayerAdaptor::PlayPause()
{
    if (service_.remote().status() == PlaybackStatus::Playing)
        service_.remote().pause();
    else
        service_.remote().play();
}

void MprisPlayerAdaptor::OpenUri(const QString& Uri)
{
    // Only local files by an absolute path, as the supported schemes say.
    if (const std::optional<std::string> path = localPathFromUri(Uri))
        service_.remote().open(*path);
}

} // namespace platform
