#include "X11WindowStacking.h"

#include "X11.h"

namespace platform {

namespace {

using x11::atom;
using x11::property;
using x11::Reply;
using x11::supports;

// Client message actions of _NET_WM_STATE.
constexpr std::uint32_t NetWmStateRemove = 0;
constexpr std::uint32_t NetWmStateAdd = 1;
// The request comes from an ordinary application.
constexpr std::uint32_t SourceApplication = 1;
// ICCCM WM_STATE values of a window the window manager has taken on.
constexpr std::uint32_t NormalState = 1;
constexpr std::uint32_t IconicState = 3;

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
    return connection_ ? connection_ : x11::appConnection();
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
