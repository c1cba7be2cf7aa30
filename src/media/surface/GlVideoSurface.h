#pragma once

#include "VideoSurface.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QWindow>

#include <atomic>
#include <memory>

struct mpv_render_context;

namespace media {

// mpv's OpenGL renderer straight into a native child window, for machines
// whose OpenGL driver is a real one. A QWindow in a window container costs
// about half the CPU of a QOpenGLWidget, which draws everything twice.
class GlVideoSurface : public QWindow, public VideoSurface {
    Q_OBJECT
  public:
    // Makes the surface and the container widget that owns it.
    static GlVideoSurface* create(QWidget* parent);
    ~GlVideoSurface() override;

    QWidget& widget() override { return *container_; }
    bool attach(mpv_handle* mpv) override;
    void detach() override;

  protected:
    void exposeEvent(QExposeEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    GlVideoSurface();
    static void requestUpdate(void* self);
    void renderFrame(bool redraw);

    QWidget* container_ = nullptr;
    // Our own context, so that mpv's render context can be made before the window is shown.
    std::unique_ptr<QOpenGLContext> gl_;
    std::unique_ptr<QOffscreenSurface> offscreen_;
    mpv_render_context* context_ = nullptr;
    std::atomic_bool updatePending_{false};
};

} // namespace media
