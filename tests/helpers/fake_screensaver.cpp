// A stand-in org.freedesktop.ScreenSaver for tests: owns the name on the
// session bus and prints every Inhibit and UnInhibit it gets, one line each.
// Like a desktop's own, it drops the inhibitions of a caller that leaves the bus.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QMap>
#include <QObject>

#include <cstdio>

class ScreenSaver : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
  public:
    ScreenSaver()
    {
        watcher_.setConnection(QDBusConnection::sessionBus());
        watcher_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
        connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this](const QString& caller) {
            for (auto it = cookies_.begin(); it != cookies_.end();) {
                if (it.value() == caller) {
                    say(QStringLiteral("Gone %1").arg(it.key()));
                    it = cookies_.erase(it);
                } else {
                    ++it;
                }
            }
        });
    }

  public slots:
    uint Inhibit(const QString& application, const QString& reason)
    {
        const uint cookie = next_++;
        cookies_.insert(cookie, message().service());
        watcher_.addWatchedService(message().service());
        say(QStringLiteral("Inhibit %1 \"%2\" \"%3\"").arg(cookie).arg(application, reason));
        return cookie;
    }
    void UnInhibit(uint cookie)
    {
        say(QStringLiteral("UnInhibit %1%2").arg(cookie).arg(cookies_.remove(cookie) ? "" : " unknown"));
    }

  private:
    static void say(const QString& line)
    {
        std::printf("%s\n", qPrintable(line));
        std::fflush(stdout);
    }

    QDBusServiceWatcher watcher_;
    QMap<uint, QString> cookies_;
    uint next_ = 1;
};

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    ScreenSaver saver;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject("/org/freedesktop/ScreenSaver", &saver, QDBusConnection::ExportAllSlots) ||
        !bus.registerService("org.freedesktop.ScreenSaver")) {
        std::fprintf(stderr, "fake_screensaver: cannot take the name on the session bus\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

#include "fake_screensaver.moc"
