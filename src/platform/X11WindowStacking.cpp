#include "platform/X11WindowStacking.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace platform {

namespace {

// xcb hands out replies that the caller frees.
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

// Client message actions of _NET_WM_STATE.
constexpr std::uint32_t NetWmStateRemove = 0;
constexpr std::uint32_t NetWmStateAdd = 1;
// The request comes from an ordinary application.
constexpr std::uint32_t SourceApplication = 1;
// ICCCM WM_STATE values of a window the window manager has taken on.
constexpr std::uint32_t NormalState = 1;
constexpr std::uint32_t IconicState = 3;

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

// The window manager lists the hints it honours on the root window.
bool supports(xcb_connection_t* c, xcb_window_t root, xcb_atom_t hint)
{
    const auto supported = property(c, root, atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM);
    if (!supported || supported->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(supported.get()));
    const auto count = static_cast<std::size_t>(xcb_get_property_value_length(supported.get())) / sizeof(xcb_atom_t);
    return std::find(atoms, atoms + count, hint) != atoms + count;
}

// A window that is shown or minimised; a withdrawn one would take the state
// from its own property when next shown, and Qt rewrites that property then.
bool managed(xcb_connection_t* c, xcb_window_t window)
{
    const xcb_atom_t wmState = atom(c, "WM_STATE");
    const auto state = property(c, window, wmState, wmState);
    if (!state || state->format != 32 || xcb_get_property_value_length(state.get()) < 4)
        return false;
    const std::uint32_t value = *static_cast<const std::uint32_t*>(xcb_get_property_value(state.get()));
    return value == NormalState || value == IconicState;
}

} // namespace

xcb_connection_t* X11WindowStacking::connection() const
{
    if (connection_)
        return connection_;
    if (!qGuiApp)
        return nullptr;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

int X11WindowStacking::SetWindowPos(std::uintptr_t hWnd, std::intptr_t hWndInsertAfter, int, int, int, int, unsigned)
{
    std::uint32_t action = 0;
    if (hWndInsertAfter == HWND_TOPMOST)
        action = NetWmStateAdd;
    else if (hWndInsertAfter == HWND_NOTOPMOST)
        action = NetWmStateRemove;
    else
        return 0;

    xcb_connection_t* const c = connection();
    if (!c || xcb_connection_has_error(c) || hWnd == 0 || hWnd > 0xffffffffu)
        return 0;
    const auto window = static_cast<xcb_window_t>(hWnd);

    // The geometry reply names the window's root and proves the window exists.
    const Reply<xcb_get_geometry_reply_t> geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    if (!geometry)
        return 0;
    const xcb_window_t root = geometry->root;

    const xcb_atom_t above = atom(c, "_NET_WM_STATE_ABOVE");
    if (above == XCB_ATOM_NONE || !supports(c, root, above) || !managed(c, window))
        return 0;

    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = atom(c, "_NET_WM_STATE");
    event.data.data32[0] = action;
    event.data.data32[1] = above;
    event.data.data32[2] = 0;
    event.data.data32[3] = SourceApplication;
    const xcb_void_cookie_t sent =
        xcb_send_event_checked(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                               reinterpret_cast<const char*>(&event));
    const Reply<xcb_generic_error_t> error(xcb_request_check(c, sent));
    return error ? 0 : 1;
}

} // namespace platform
