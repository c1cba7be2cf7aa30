#include "FrameRenderer.h"

#include <QtGlobal>

#include <mpv/client.h>
#include <mpv/render.h>

#include <system_error>
#include <utility>

namespace media {

namespace {

// QImage::Format_RGB32 in memory order.
constexpr const char* PixelFormat = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "bgr0" : "0rgb";

} // namespace

std::unique_ptr<FrameRenderer> FrameRenderer::start(mpv_handle* mpv, std::unique_ptr<FramePresenter> presenter,
                                                    Finished finished)
{
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    // zimg, which scales and converts the frames, on the render thread alone:
    // every new size (the first frame, each resize) sets up each of its worker
    // threads, and they save no CPU once running (measured on two cores: 4 to
    // 5 ms of CPU against 9 to 13 ms to set up a size, 2.8 to 4 ms against 3.4
    // to 5.4 ms a 1080p frame). The picture is the same.
    mpv_set_property_string(mpv, "zimg-threads", "1");
    mpv_render_context* context = nullptr;
    if (mpv_render_context_create(&context, mpv, params) < 0)
        return nullptr;
    std::unique_ptr<FrameRenderer> renderer(new FrameRenderer(context, std::move(presenter), std::move(finished)));
    mpv_render_context_set_update_callback(context, &FrameRenderer::wake, renderer.get());
    try {
        renderer->thread_ = std::thread(&FrameRenderer::run, renderer.get());
    } catch (const std::system_error&) {
        return nullptr; // no thread to be had: mpv plays on without a picture
    }
    return renderer;
}

FrameRenderer::FrameRenderer(mpv_render_context* context, std::unique_ptr<FramePresenter> presenter,
                             Finished finished)
    : context_(context), own_(std::move(presenter)), presenter_(own_ ? own_.get() : &plain_),
      finished_(std::move(finished)), uiPaints_(!own_)
{
}

FrameRenderer::~FrameRenderer()
{
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    woken_.notify_one();
    // Waits for no more than the frame being drawn: the loop checks stop_ before each.
    if (thread_.joinable())
        thread_.join();
    // After this returns no update callback runs.
    mpv_render_context_set_update_callback(context_, nullptr, nullptr);
    mpv_render_context_free(context_);
}

void FrameRenderer::setTarget(QSize size, bool visible)
{
    {
        std::lock_guard lock(mutex_);
        if (size == target_.size && visible == target_.visible)
            return;
        // A frame let go while nobody saw it, or drawn at another size, is drawn again.
        if (visible)
            redraw_ = true;
        target_ = {size, visible};
    }
    woken_.notify_one();
}

void FrameRenderer::redraw()
{
    {
        std::lock_guard lock(mutex_);
        redraw_ = true;
    }
    woken_.notify_one();
}

void FrameRenderer::wake(void* self)
{
    // On one of mpv's threads, which must not call into the render API: only wake the render thread.
    auto* renderer = static_cast<FrameRenderer*>(self);
    {
        std::lock_guard lock(renderer->mutex_);
        renderer->updated_ = true;
    }
    renderer->woken_.notify_one();
}

void FrameRenderer::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        woken_.wait(lock, [this] { return stop_ || updated_ || redraw_; });
        if (stop_)
            return;
        const bool updated = std::exchange(updated_, false);
        const bool redraw = std::exchange(redraw_, false);
        const Target target = target_;
        lock.unlock();
        // mpv asks for this after each update callback, whether or not a frame came.
        const bool newFrame = updated && (mpv_render_context_update(context_) & MPV_RENDER_UPDATE_FRAME);
        if (newFrame || redraw)
            draw(target, newFrame);
        lock.lock();
    }
}

void FrameRenderer::draw(const Target& target, bool newFrame)
{
    if (newFrame)
        ++serial_;
    if (!target.visible || target.size.isEmpty()) {
        // mpv waits for every frame to be taken: one nobody can see is let go at once.
        if (newFrame)
            skip();
        return;
    }
    Frame& frame = frames_.back();
    if (frame.pixels && (frame.pixels->size != target.size || frame.pixels->maker != presenter_))
        frame.pixels.reset();
    if (frame.pixels) {
        presenter_->reclaim(*frame.pixels);
    } else {
        frame.pixels = presenter_->allocate(target.size);
        if (!frame.pixels && presenter_ != &plain_) {
            fallBack();
            frame.pixels = presenter_->allocate(target.size);
        }
    }
    if (!frame.pixels || !render(*frame.pixels)) {
        if (newFrame)
            skip();
        return;
    }
    FramePresenter::Presented presented = presenter_->present(*frame.pixels);
    if (presented == FramePresenter::Presented::Failed) {
        fallBack();
        presented = FramePresenter::Presented::Later;
    }
    // mpv's output waits for this before it goes on to the next frame (it
    // times frames by it); it never waits on the UI thread's painting.
    mpv_render_context_report_swap(context_);
    frame.serial = serial_;
    frames_.publish();
    const bool shown = presented == FramePresenter::Presented::Shown && newFrame;
    if (shown)
        shown_.fetch_add(1, std::memory_order_relaxed);
    if ((presented == FramePresenter::Presented::Later || shown) && finished_)
        finished_();
}

bool FrameRenderer::render(FramePixels& pixels)
{
    int size[2] = {pixels.size.width(), pixels.size.height()};
    std::size_t stride = pixels.stride;
    int block = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SW_SIZE, size},
        {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>(PixelFormat)},
        {MPV_RENDER_PARAM_SW_STRIDE, &stride},
        {MPV_RENDER_PARAM_SW_POINTER, pixels.data},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    return mpv_render_context_render(context_, params) >= 0;
}

void FrameRenderer::skip()
{
    int skip = 1;
    int block = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(context_, params);
    // Reported for every frame taken once reported for any: else mpv's output waits for it.
    mpv_render_context_report_swap(context_);
}

void FrameRenderer::fallBack()
{
    presenter_ = &plain_;
    uiPaints_.store(true, std::memory_order_release);
    if (finished_)
        finished_();
}

} // namespace media
