#pragma once

#include "VideoSurface.h"

#include <QPointer>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <memory>

class QWindow;

namespace media {

class FrameRenderer;
class X11ShmPresenter;

// mpv's software renderer behind a plain widget. Where OpenGL is itself
// software (or missing) this costs the least CPU, and it works without any
// display at all. Frames are drawn on a render thread of their own
// (FrameRenderer), so that a slow frame never holds up the window and the
// window never holds up mpv. On X11 the render thread puts them straight into
// the widget's own native window (X11ShmPresenter); elsewhere, or where that
// cannot work, the UI thread paints the newest finished frame.
class SoftwareVideoSurface : public QWidget, public VideoSurface {
    Q_OBJECT
  public:
    explicit SoftwareVideoSurface(QWidget* parent = nullptr);
    ~SoftwareVideoSurface() override;

    QWidget& widget() override { return *this; }
    bool attach(mpv_handle* mpv) override;
    void detach() override;

    // None while the render thread draws into the window itself.
    QPaintEngine* paintEngine() const override;

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    // On the UI thread after the render thread finished frames (one call pending at most).
    void framesFinished();
    // Tells the render thread the size to draw at and whether anyone can see the picture.
    void updateTarget(bool shown);
    // Gives the widget the native window the render thread draws into.
    void drawOnScreen();

    std::unique_ptr<FrameRenderer> renderer_;
    // The renderer's presenter when it puts frames on an X11 display itself.
    X11ShmPresenter* x11_ = nullptr;
    bool onScreen_ = false;
    std::atomic_bool finishPending_{false};
    // The video frame painted last (UI painting), and the frames told as shown (X11).
    std::uint64_t painted_ = 0;
    std::uint64_t counted_ = 0;
    // The top-level window, whose exposure says whether the picture can be seen.
    QPointer<QWindow> watched_;
};

} // namespace media
