#pragma once

#include "RemoteControl.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

namespace platform {

// What the desktop knows the player by.
struct MprisIdentity {
    QString identity;     // the name shown to the user
    QString desktopEntry; // the desktop file's name without .desktop
    QStringList mimeTypes;
};

// The player on the session bus as an MPRIS 2 media player
// (org.mpris.MediaPlayer2.zelvo), for media keys, desktop media widgets and
// playerctl. Without a session bus it stays quiet and does nothing.
class MprisService : public QObject {
    Q_OBJECT
  public:
    MprisService(RemoteControl& remote, MprisIdentity identity, QObject* parent = nullptr);
    ~MprisService() override;

    // Publishes the object and asks for the bus name (or the per-process one
    // when another player holds it) without waiting for the bus to answer.
    // False, silently, when there is no bus.
    bool start(QDBusConnection connection);
    // The bus name taken; empty until the bus has given it, or without a bus.
    QString busName() const { return busName_; }

    // Compares what a client sees with what it saw last and announces the differences.
    void refresh();

    // Root interface.
    const MprisIdentity& identity() const { return identity_; }
    void raise() { remote_.raise(); }
    void quit() { remote_.quit(); }

    // Player interface.
    RemoteControl& remote() { return remote_; }
    QVariantMap metadata() const;
    QString playbackStatus() const;
    QDBusObjectPath trackPath() const;
    void seekBy(qlonglong offsetUs);
    void setPosition(const QDBusObjectPath& track, qlonglong positionUs);
    void setVolume(double volume);

  signals:
    void seeked(qlonglong positionUs);

  private:
    void requestName(const QStringList& candidates);
    QVariantMap playerProperties() const;

    RemoteControl& remote_;
    MprisIdentity identity_;
    QDBusConnection connection_;
    QString busName_;
    QObject* object_ = nullptr;
    QVariantMap announced_;
};

// org.mpris.MediaPlayer2
class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)
  public:
    MprisRootAdaptor(QObject* object, MprisService& service);

    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const { return service_.identity().identity; }
    QString desktopEntry() const { return service_.identity().desktopEntry; }
    QStringList supportedUriSchemes() const { return {QStringLiteral("file")}; }
    QStringList supportedMimeTypes() const { return service_.identity().mimeTypes; }

  public slots:
    void Raise() { service_.raise(); }
    void Quit() { service_.quit(); }

  private:
    MprisService& service_;
};

// org.mpris.MediaPlayer2.Player
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(double MinimumRate READ minimumRate)
    Q_PROPERTY(double MaximumRate READ maximumRate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPause)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl)
  public:
    MprisPlayerAdaptor(QObject* object, MprisService& service);

    QString playbackStatus() const { return service_.playbackStatus(); }
    double rate() const { return service_.remote().rate(); }
    void setRate(double rate);
    double minimumRate() const { return RemoteControl::MinimumRate; }
    double maximumRate() const { return RemoteControl::MaximumRate; }
    QVariantMap metadata() const { return service_.metadata(); }
    double volume() const { return service_.remote().volume(); }
    void setVolume(double volume) { service_.setVolume(volume); }
    qlonglong position() const { return service_.remote().positionUs(); }
    bool canGoNext() const { return service_.remote().canGoNext(); }
    bool canGoPrevious() const { return service_.remote().canGoPrevious(); }
    bool canPlay() const { return service_.remote().canPlay(); }
    bool canPause() const { return service_.remote().canPause(); }
    bool canSeek() const { return service_.remote().canSeek(); }
    bool canControl() const { return true; }

  public slots:
    void Next() { service_.remote().next(); }
    void Previous() { service_.remote().previous(); }
    void Pause() { service_.remote().pause(); }
    void PlayPause();
    void Stop() { service_.remote().stop(); }
    void Play() { service_.remote().play(); }
    void Seek(qlonglong Offset) { service_.seekBy(Offset); }
    void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position) { service_.setPosition(TrackId, Position); }
    void OpenUri(const QString& Uri);

  signals:
    void Seeked(qlonglong Position);

  private:
    MprisService& service_;
};

} // namespace platform
