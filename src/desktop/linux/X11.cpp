#include "X11.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <algorithm>
#include <thread>

namespace platform::x11 {

xcb_connection_t* appConnection()
{
    if (!qGuiApp)
        return nullptr;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* c, std::string_view name)
{
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

Reply<xcb_get_property_reply_t> property(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    return Reply<xcb_get_property_reply_t>(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 1024), nullptr));
}

bool supports(xcb_connection_t* c, xcb_window_t root, xcb_atom_t hint)
{
    const auto supported = property(c, root, atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM);
    if (!supported || supported->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(supported.get()));
    const auto count = static_cast<std::size_t>(xcb_get_property_value_length(supported.get())) / sizeof(xcb_atom_t);
    return std::find(atoms, atoms + count, hint) != atoms + count;
}

xcb_window_t defaultRoot(xcb_connection_t* c)
{
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    return screens.rem > 0 ? screens.data->root : xcb_window_t{XCB_WINDOW_NONE};
}

FrameExtentsProbe::FrameExtentsProbe(xcb_connection_t* c, std::chrono::milliseconds timeout, QObject* parent)
    : QObject(parent), c_(c), deadline_(timeout)
{
    if (!c_ || xcb_connection_has_error(c_))
        return;
    const xcb_window_t root = defaultRoot(c_);
    const xcb_atom_t request = atom(c_, "_NET_REQUEST_FRAME_EXTENTS");
    extentsAtom_ = atom(c_, "_NET_FRAME_EXTENTS");
    // Without a window manager that answers there is nothing to wait for.
    if (root == XCB_WINDOW_NONE || !supports(c_, root, request))
        return;

    // A stand-in, not the real window: the toolkit keeps its own idea of its
    // windows' geometry, and a property change on them would disturb it.
    probe_ = xcb_generate_id(c_);
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, probe_, root, 0, 0, 100, 100, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, 0, nullptr);

    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = probe_;
    event.type = request;
    xcb_send_event(c_, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(c_);

    // Each look is one question to the X server, which answers at once; the
    // window manager's answer usually comes within a few milliseconds.
    poll_.setTimerType(Qt::PreciseTimer);
    poll_.setInterval(2);
    connect(&poll_, &QTimer::timeout, this, [this] {
        if (!look() && deadline_.hasExpired())
            finish();
    });
    poll_.start();
}

FrameExtentsProbe::~FrameExtentsProbe()
{
    if (pending() && !xcb_connection_has_error(c_)) {
        xcb_destroy_window(c_, probe_);
        xcb_flush(c_);
    }
}

void FrameExtentsProbe::wait(std::chrono::milliseconds bound)
{
    // The caller cannot go on without the answer; the window manager, another
    // process, answers in its own time, so this is the one place that sleeps.
    const QDeadlineTimer until(bound);
    while (pending() && !look()) {
        if (until.hasExpired() || deadline_.hasExpired()) {
            finish();
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool FrameExtentsProbe::look()
{
    if (!pending())
        return false;
    const auto reply = x11::property(c_, probe_, extentsAtom_, XCB_ATOM_CARDINAL);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 16)
        return false;
    const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    extents_ = FrameExtents{int(v[0]), int(v[1]), int(v[2]), int(v[3])};
    finish();
    return true;
}

void FrameExtentsProbe::finish()
{
    poll_.stop();
    xcb_destroy_window(c_, probe_);
    xcb_flush(c_);
    probe_ = XCB_WINDOW_NONE;
    emit finished();
}

} // namespace platform::x11
