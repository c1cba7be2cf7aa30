#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>

// Small helpers for talking to the X server and its window manager (EWMH).
namespace platform::x11 {

// xcb hands out replies that the caller frees.
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

// The X connection of the running Qt application; null on other platforms.
xcb_connection_t* appConnection();

xcb_atom_t atom(xcb_connection_t* c, std::string_view name);
Reply<xcb_get_property_reply_t> property(xcb_connection_t* c, xcb_window_t window, xcb_atom_t name, xcb_atom_t type);
// Whether the window manager lists the hint among those it honours.
bool supports(xcb_connection_t* c, xcb_window_t root, xcb_atom_t hint);
xcb_window_t defaultRoot(xcb_connection_t* c);

struct FrameExtents {
    int left = 0, right = 0, top = 0, bottom = 0;
};

// Asks the window manager how thick the frame of an ordinary top-level window
// will be (_NET_REQUEST_FRAME_EXTENTS, for a window of our own that is never
// shown) and waits up to `wait` for the answer.
std::optional<FrameExtents> probeFrameExtents(xcb_connection_t* c, std::chrono::milliseconds wait);

} // namespace platform::x11
