#include "SoftwareVideoSurface.h"

#include "FrameRenderer.h"
#include "X11ShmPresenter.h"

#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QWindow>

#include <cstdlib>
#include <string_view>

namespace media {

namespace {

// ZELVO_VIDEO_PRESENT=qt has the UI thread paint the frames on X11 too.
bool putsOnX11()
{
    const char* forced = std::getenv("ZELVO_VIDEO_PRESENT");
    return QGuiApplication::platformName() == QLatin1String("xcb") && !(forced && std::string_view(forced) == "qt");
}

} // namespace

SoftwareVideoSurface::SoftwareVideoSurface(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("video"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(0, 0);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
}

SoftwareVideoSurface::~SoftwareVideoSurface()
{
    detach();
}

bool SoftwareVideoSurface::attach(mpv_handle* mpv)
{
    std::unique_ptr<X11ShmPresenter> x11;
    if (putsOnX11())
        x11 = std::make_unique<X11ShmPresenter>();
    X11ShmPresenter* presenter = x11.get();
    renderer_ = FrameRenderer::start(mpv, std::move(x11), [this] {
        // On the render thread: only hand over to the UI thread, once for any number of frames.
        if (!finishPending_.exchange(true))
            QMetaObject::invokeMethod(this, &SoftwareVideoSurface::framesFinished, Qt::QueuedConnection);
    });
    if (!renderer_)
        return false;
    x11_ = presenter;
    if (isVisible())
        drawOnScreen();
    updateTarget(isVisible());
    return true;
}

void SoftwareVideoSurface::detach()
{
    // Waits for a frame being drawn, if any; the queued calls it made die with the widget.
    renderer_.reset();
    x11_ = nullptr;
}

QPaintEngine* SoftwareVideoSurface::paintEngine() const
{
    return onScreen_ ? nullptr : QWidget::paintEngine();
}

void SoftwareVideoSurface::drawOnScreen()
{
    if (!x11_ || onScreen_ || renderer_->uiPaints())
        return;
    // A native window of our own. Qt makes the siblings native too, so that the
    // panels shown over the picture in full screen stay above it, and the
    // ancestors, which is what carries the native windows along when the
    // control moves to another window (as with the OpenGL surface).
    setAttribute(Qt::WA_NativeWindow);
    // Qt neither paints nor flushes the window: the render thread owns its pixels.
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    onScreen_ = true;
    x11_->setWindow(static_cast<std::uint32_t>(winId()));
}

bool SoftwareVideoSurface::event(QEvent* event)
{
    // Made again when the widget moves to another window.
    if (event->type() == QEvent::WinIdChange && x11_)
        x11_->setWindow(static_cast<std::uint32_t>(internalWinId()));
    return QWidget::event(event);
}

bool SoftwareVideoSurface::eventFilter(QObject* watched, QEvent* event)
{
    // The window shown or hidden as a whole (minimised, on another desktop).
    if (watched == watched_ && event->type() == QEvent::Expose)
        updateTarget(isVisible());
    return QWidget::eventFilter(watched, event);
}

void SoftwareVideoSurface::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    drawOnScreen();
    QWindow* top = window()->windowHandle();
    if (top != watched_) {
        if (watched_)
            watched_->removeEventFilter(this);
        watched_ = top;
        if (top)
            top->installEventFilter(this);
    }
    updateTarget(true);
}

void SoftwareVideoSurface::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // Also when the window is minimised, where the widget still counts as visible.
    updateTarget(false);
}

void SoftwareVideoSurface::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updateTarget(isVisible());
}

void SoftwareVideoSurface::updateTarget(bool shown)
{
    if (!renderer_)
        return;
    const QWindow* top = window()->windowHandle();
    const bool visible = shown && !size().isEmpty() && top && top->isExposed();
    renderer_->setTarget((QSizeF(size()) * devicePixelRatioF()).toSize(), visible);
}

void SoftwareVideoSurface::framesFinished()
{
    finishPending_ = false;
    if (!renderer_)
        return;
    if (onScreen_ && renderer_->uiPaints()) {
        // The render thread cannot put frames on this display: Qt paints them.
        onScreen_ = false;
        setAttribute(Qt::WA_PaintOnScreen, false);
    }
    if (!onScreen_) {
        update();
        return;
    }
    for (const auto shown = renderer_->framesShown(); counted_ < shown; ++counted_)
        if (frameShown)
            frameShown();
}

void SoftwareVideoSurface::paintEvent(QPaintEvent*)
{
    if (onScreen_) {
        // Exposed again: the render thread puts the current frame back.
        if (renderer_)
            renderer_->redraw();
        return;
    }
    QPainter painter(this);
    if (!renderer_) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // Never waits: the newest frame the render thread has finished, or the last one again.
    auto& frames = renderer_->frames();
    frames.takeNewest();
    const Frame& frame = frames.front();
    if (!frame.pixels) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    QImage image(frame.pixels->data, frame.pixels->size.width(), frame.pixels->size.height(),
                 static_cast<qsizetype>(frame.pixels->stride), QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatioF());
    // Scaled only until the frame drawn at a new size arrives.
    painter.drawImage(rect(), image);
    if (frame.serial != painted_) {
        painted_ = frame.serial;
        if (frameShown)
            frameShown();
    }
}

} // namespace media
