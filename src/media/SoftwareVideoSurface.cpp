#include "media/SoftwareVideoSurface.h"

#include <QPaintEvent>
#include <QPainter>

#include <mpv/client.h>
#include <mpv/render.h>

namespace media {

namespace {

// mpv's fastest paths want rows and pixels on 64-byte boundaries.
constexpr std::size_t Alignment = 64;

// QImage::Format_RGB32 in memory order.
constexpr const char* PixelFormat = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "bgr0" : "0rgb";

}  // namespace

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
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_create(&context_, mpv, params) < 0) {
        context_ = nullptr;
        return false;
    }
    mpv_render_context_set_update_callback(context_, &SoftwareVideoSurface::requestUpdate, this);
    return true;
}

void SoftwareVideoSurface::detach()
{
    if (!context_)
        return;
    // After this returns no update callback runs; queued ones die with the widget.
    mpv_render_context_set_update_callback(context_, nullptr, nullptr);
    mpv_render_context_free(context_);
    context_ = nullptr;
}

void SoftwareVideoSurface::requestUpdate(void* self)
{
    // On one of mpv's threads: only hand the work over to the UI thread.
    auto* surface = static_cast<SoftwareVideoSurface*>(self);
    if (!surface->updatePending_.exchange(true))
        QMetaObject::invokeMethod(
            surface, [surface] { surface->renderFrame(false); }, Qt::QueuedConnection);
}

void SoftwareVideoSurface::renderFrame(bool redraw)
{
    updatePending_ = false;
    if (!context_)
        return;
    const bool newFrame = mpv_render_context_update(context_) & MPV_RENDER_UPDATE_FRAME;
    if (!newFrame && !redraw)
        return;
    const qreal ratio = devicePixelRatioF();
    const QSize target = (QSizeF(size()) * ratio).toSize();
    if (!isVisible() || target.isEmpty()) {
        // Nobody sees it, but mpv waits for every frame to be taken.
        if (newFrame)
            skipFrame();
        return;
    }
    if (image_.size() != target) {
        const auto stride = (static_cast<std::size_t>(target.width()) * 4 + Alignment - 1) / Alignment * Alignment;
        pixels_.reset(static_cast<unsigned char*>(std::aligned_alloc(Alignment, stride * target.height())));
        if (!pixels_) {
            image_ = QImage();
            skipFrame();
            return;
        }
        image_ = QImage(pixels_.get(), target.width(), target.height(), static_cast<qsizetype>(stride),
                        QImage::Format_RGB32);
        image_.setDevicePixelRatio(ratio);
    }
    int surfaceSize[2] = {image_.width(), image_.height()};
    auto stride = static_cast<std::size_t>(image_.bytesPerLine());
    int block = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SW_SIZE, surfaceSize},
        {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>(PixelFormat)},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, pixels_.get()},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    if (mpv_render_context_render(context_, params) < 0)
        return;
    unshownFrame_ = unshownFrame_ || newFrame;
    update();
}

void SoftwareVideoSurface::skipFrame()
{
    int skip = 1;
    int block = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(context_, params);
}

void SoftwareVideoSurface::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect picture(QPoint(0, 0), image_.deviceIndependentSize().toSize());
    if (!image_.isNull())
        painter.drawImage(QPoint(0, 0), image_);
    // mpv draws its own black bars round the picture; this covers a size change not yet rendered.
    const QRegion uncovered = QRegion(event->rect()) - (image_.isNull() ? QRegion() : QRegion(picture));
    for (const QRect& rect : uncovered)
        painter.fillRect(rect, Qt::black);
    if (unshownFrame_) {
        unshownFrame_ = false;
        if (frameShown)
            frameShown();
    }
}

void SoftwareVideoSurface::resizeEvent(QResizeEvent*)
{
    renderFrame(true);
}

void SoftwareVideoSurface::showEvent(QShowEvent*)
{
    renderFrame(true);
}

}  // namespace media
