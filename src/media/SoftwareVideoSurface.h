#pragma once

#include "media/VideoSurface.h"

#include <QImage>
#include <QWidget>

#include <atomic>
#include <cstdlib>
#include <memory>

struct mpv_render_context;

namespace media {

// mpv's software renderer into an image that a plain widget paints. Where
// OpenGL is itself software (or missing) this costs the least CPU, and it
// works without any display at all.
class SoftwareVideoSurface : public QWidget, public VideoSurface {
    Q_OBJECT
  public:
    explicit SoftwareVideoSurface(QWidget* parent = nullptr);
    ~SoftwareVideoSurface() override;

    QWidget& widget() override { return *this; }
    bool attach(mpv_handle* mpv) override;
    void detach() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    static void requestUpdate(void* self);
    // Draws mpv's newest frame, or the last one again when redraw is set.
    void renderFrame(bool redraw);
    void skipFrame();

    struct FreePixels {
        void operator()(unsigned char* pixels) const { std::free(pixels); }
    };

    mpv_render_context* context_ = nullptr;
    std::atomic_bool updatePending_{false};
    std::unique_ptr<unsigned char, FreePixels> pixels_;
    QImage image_;
    bool unshownFrame_ = false;
};

}  // namespace media
