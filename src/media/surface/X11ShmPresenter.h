#pragma once

#include "FramePresenter.h"

#include <atomic>
#include <cstdint>

struct xcb_connection_t;

namespace media {

// Puts frames straight from the render thread into an X11 window through
// MIT-SHM: mpv draws into memory the X server reads itself, so a frame is
// neither copied nor painted by Qt, and the UI thread does nothing per frame
// (the way mpv's own x11 output shows frames). It has a connection of its
// own, so that waiting for the server never touches Qt's. Fails (and the UI
// thread paints instead) where the display has no MIT-SHM, cannot reach our
// memory (a remote display) or the window's pixels are not 32-bit RGB.
class X11ShmPresenter final : public FramePresenter {
  public:
    // Asks nothing of the X server yet: it connects at the first frame.
    X11ShmPresenter() = default;
    ~X11ShmPresenter() override;

    // From the UI thread: the window to draw into, 0 for none.
    void setWindow(std::uint32_t window) { window_.store(window, std::memory_order_release); }

    std::unique_ptr<FramePixels> allocate(QSize size) override;
    void reclaim(FramePixels& pixels) override;
    Presented present(FramePixels& pixels) override;

  private:
    bool connect();
    // Checks the window's pixel format and makes a graphics context for it.
    Presented useWindow(std::uint32_t window);
    // Reads what the server has sent; with a timeout in milliseconds, waits that long for something.
    void readEvents(int timeout);

    std::atomic<std::uint32_t> window_{0};
    xcb_connection_t* connection_ = nullptr;
    bool failed_ = false;
    std::uint32_t drawn_ = 0; // the window the graphics context is for
    std::uint32_t gc_ = 0;
    std::uint8_t depth_ = 0;
    // The newest request the server is known to have carried out.
    std::uint32_t done_ = 0;
};

} // namespace media
