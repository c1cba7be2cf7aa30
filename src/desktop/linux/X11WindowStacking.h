#pragma once

#include "WindowStacking.h"

struct xcb_connection_t;

namespace platform {

// Keeps a top-level window above others, or lets it go back to normal, by
// asking the window manager for the EWMH above state (_NET_WM_STATE_ABOVE).
// The window stays where it is and as it is: it is not hidden, re-created or
// moved, as changing Qt's stays-on-top flag on a shown window would do.
// Only HWND_TOPMOST and HWND_NOTOPMOST are understood; the position, size and
// flags are not used, since only the stacking changes.
class X11WindowStacking : public WindowStacking {
  public:
    // Talks to the X server of the running Qt application, if it has one.
    X11WindowStacking() = default;
    // Talks over the given connection, which stays the caller's.
    explicit X11WindowStacking(xcb_connection_t* connection) : connection_(connection) {}

    // hWnd is the X id of the top-level (client) window. Returns 0 when the
    // state cannot be asked for: no X server (Wayland, offscreen), no such
    // window, a window the window manager does not manage, or a window manager
    // without the above state.
    int SetWindowPos(std::uintptr_t hWnd, std::intptr_t hWndInsertAfter, int x, int y, int cx, int cy,
                     unsigned flags) override;

  private:
    xcb_connection_t* connection() const;

    xcb_connection_t* connection_ = nullptr;
};

} // namespace platform
