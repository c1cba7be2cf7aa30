#pragma once

#include "VideoSurface.h"

#include <QImage>
#include <QWidget>

#include <atomic>
#include <cstdlib>
#include <memory>

class QPainter;
struct mpv_render_context;

namespace media {

// mpv's software renderer painting a plain widget. Where OpenGL is itself
// software (or missing) this costs the least CPU, and it works without any
// display at all. Frames are drawn straight into the window's backing store
// when the picture spans the window's whole width (the usual case: the window
// is fitted round the movie), else through an image of our own and a copy.
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

  private:
    static void requestUpdate(void* self);
    // Has mpv's newest frame painted, or drops it when nobody can see it.
    void takeFrame();
    void skipFrame();
    // Draws the current frame into pixels laid out as Format_RGB32.
    bool render(unsigned char* pixels, QSize size, std::size_t stride);
    bool renderIntoBackingStore(QPainter& painter);
    void renderThroughImage(QPainter& painter);

    struct FreePixels {
        void operator()(unsigned char* pixels) const { std::free(pixels); }
    };

    mpv_render_context* context_ = nullptr;
    std::atomic_bool updatePending_{false};
    bool frameWaiting_ = false;
    std::unique_ptr<unsigned char, FreePixels> pixels_;
    QImage image_;
};

} // namespace media
