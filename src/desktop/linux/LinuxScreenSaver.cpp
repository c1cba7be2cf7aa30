#include "LinuxScreenSaver.h"

#include "X11.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <xcb/screensaver.h>

namespace platform {

namespace {

const QString Service = QStringLiteral("org.freedesktop.ScreenSaver");
const QString Path = QStringLiteral("/org/freedesktop/ScreenSaver");

QDBusMessage screenSaverCall(const QString& method)
{
    return QDBusMessage::createMethodCall(Service, Path, Service, method);
}

QDBusMessage unInhibitCall(std::uint32_t cookie)
{
    QDBusMessage call = screenSaverCall(QStringLiteral("UnInhibit"));
    call << cookie;
    return call;
}

} // namespace

LinuxScreenSaver::LinuxScreenSaver(QDBusConnection bus, QObject* parent) : QObject(parent), bus_(std::move(bus)) {}

LinuxScreenSaver::~LinuxScreenSaver()
{
    // Sent, not waited for: the bus's own thread writes it out at once, and
    // a service that is slow to answer must not hold the window at exit. Were
    // it lost with the connection, the service still ends the hold when it
    // sees us leave the bus. An answer to an Inhibit still on its way finds
    // us gone, with the same outcome.
    wanted_ = false;
    release();
}

void LinuxScreenSaver::inhibit(bool on)
{
    if (on == wanted_)
        return;
    wanted_ = on;
    if (!on) {
        release();
        return;
    }
    if (way_ == Way::Asking)
        return; // the answer on its way finds the wish changed back
    if (!bus_.isConnected()) {
        inhibited(std::nullopt);
        return;
    }
    // Asked without waiting; no owner of the name answers with an error, and the X server takes over.
    way_ = Way::Asking;
    QDBusMessage call = screenSaverCall(QStringLiteral("Inhibit"));
    call << QStringLiteral("zelvo") << QStringLiteral("Playing a film");
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* answer) {
        answer->deleteLater();
        const QDBusPendingReply<std::uint32_t> reply = *answer;
        inhibited(reply.isError() ? std::nullopt : std::optional<std::uint32_t>(reply.value()));
    });
}

void LinuxScreenSaver::inhibited(std::optional<std::uint32_t> cookie)
{
    if (cookie) {
        way_ = Way::Bus;
        cookie_ = *cookie;
    } else {
        way_ = suspendX(true) ? Way::X11 : Way::None;
    }
    // Paused or stopped while the question was out.
    if (!wanted_)
        release();
}

void LinuxScreenSaver::release()
{
    switch (way_) {
    case Way::Bus: {
        bus_.send(unInhibitCall(cookie_));
        way_ = Way::None;
        break;
    }
    case Way::X11:
        suspendX(false);
        way_ = Way::None;
        break;
    case Way::Asking: // released when the answer comes
    case Way::None:
        break;
    }
}

bool LinuxScreenSaver::suspendX(bool suspend)
{
    xcb_connection_t* c = x11::appConnection();
    if (!c)
        return false;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_screensaver_id);
    if (!extension || !extension->present)
        return false;
    xcb_screensaver_suspend(c, suspend ? 1 : 0);
    xcb_flush(c);
    return true;
}

} // namespace platform
