#include "SoftwareVideoSurface.h"

#include <QBackingStore>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

#include <mpv/client.h>
#include <mpv/render.h>

namespace media {

namespace {

// mpv's fastest paths want rows and pixels on 64-byte boundaries.
constexpr std::size_t Alignment = 64;

// QImage::Format_RGB32 in memory order.
constexpr const char* PixelFormat = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "bgr0" : "0rgb";

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
        QMetaObject::invokeMethod(surface, &SoftwareVideoSurface::takeFrame, Qt::QueuedConnection);
}

void SoftwareVideoSurface::takeFrame()
{
    updatePending_ = false;
    if (!context_ || !(mpv_render_context_update(context_) & MPV_RENDER_UPDATE_FRAME))
        return;
    // mpv waits for every frame to be taken: one that will not be painted
    // (hidden, no room, window minimised) is let go at once.
    const QWindow* shown = window()->windowHandle();
    if (isVisible() && !size().isEmpty() && shown && shown->isExposed()) {
        frameWaiting_ = true;
        update();
    } else {
        skipFrame();
    }
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

bool SoftwareVideoSurface::render(unsigned char* pixels, QSize size, std::size_t stride)
{
    int surfaceSize[2] = {size.width(), size.height()};
    int block = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SW_SIZE, surfaceSize},
        {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>(PixelFormat)},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, pixels},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    return mpv_render_context_render(context_, params) >= 0;
}

bool SoftwareVideoSurface::renderIntoBackingStore(QPainter& painter)
{
    // Saves copying every frame once more. Only where it is plainly safe: the
    // window's own raster image (not a grab), the same pixel format and density,
    // and rows of the picture that are whole rows of the image, so that nothing
    // mpv writes at the end of a row can reach another widget.
    QBackingStore* store = backingStore();
    if (!store || !painter.paintEngine() || painter.paintEngine()->paintDevice() != store->paintDevice())
        return false;
    auto* canvas = dynamic_cast<QImage*>(store->paintDevice());
    // A premultiplied store of an opaque window takes the same bytes as Format_RGB32
    // (the alpha byte is not shown), as a copy of our own image would put there.
    const bool opaque = canvas && (canvas->format() == QImage::Format_RGB32 ||
                                   (canvas->format() == QImage::Format_ARGB32_Premultiplied &&
                                    !window()->testAttribute(Qt::WA_TranslucentBackground)));
    if (!opaque || canvas->devicePixelRatio() != devicePixelRatioF())
        return false;
    const QPoint origin = painter.deviceTransform().map(QPointF(0, 0)).toPoint();
    const QSize target = (QSizeF(size()) * canvas->devicePixelRatio()).toSize();
    if (origin.x() != 0 || target.width() != canvas->width() || origin.y() < 0 ||
        origin.y() + target.height() > canvas->height())
        return false;
    const auto stride = static_cast<std::size_t>(canvas->bytesPerLine());
    return render(canvas->bits() + origin.y() * stride, target, stride);
}

void SoftwareVideoSurface::renderThroughImage(QPainter& painter)
{
    const qreal ratio = devicePixelRatioF();
    const QSize target = (QSizeF(size()) * ratio).toSize();
    if (image_.size() != target) {
        const auto stride = (static_cast<std::size_t>(target.width()) * 4 + Alignment - 1) / Alignment * Alignment;
        pixels_.reset(static_cast<unsigned char*>(std::aligned_alloc(Alignment, stride * target.height())));
        image_ = pixels_ ? QImage(pixels_.get(), target.width(), target.height(), static_cast<qsizetype>(stride),
                                  QImage::Format_RGB32)
                         : QImage();
        image_.setDevicePixelRatio(ratio);
    }
    if (!image_.isNull() && render(pixels_.get(), image_.size(), static_cast<std::size_t>(image_.bytesPerLine())))
        painter.drawImage(QPoint(0, 0), image_);
    else
        painter.fillRect(rect(), Qt::black);
}

void SoftwareVideoSurface::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const bool newFrame = std::exchange(frameWaiting_, false);
    if (!context_ || size().isEmpty()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // Every paint draws mpv's newest frame, or the last one again (after a resize, an expose).
    if (!renderIntoBackingStore(painter))
        renderThroughImage(painter);
    if (newFrame && frameShown)
        frameShown();
}

} // namespace media
