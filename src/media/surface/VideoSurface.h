#pragma once

#include <functional>

class QWidget;
struct mpv_handle;

namespace media {

// Where mpv draws the picture. A surface owns mpv's render context: it makes
// it before anything is loaded and frees it before the core goes.
class VideoSurface {
  public:
    virtual ~VideoSurface() = default;

    // The widget that shows the picture; it owns the surface.
    virtual QWidget& widget() = 0;
    // Makes the render context for this core; false when it cannot.
    virtual bool attach(mpv_handle* mpv) = 0;
    // Frees the render context. Safe to call more than once.
    virtual void detach() = 0;

    // Told after a new video frame has been drawn.
    std::function<void()> frameShown;
};

} // namespace media
