#pragma once

#include "FramePresenter.h"
#include "TripleBuffer.h"

#include <QSize>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

struct mpv_handle;
struct mpv_render_context;

namespace media {

// Draws mpv's video frames with its software renderer on a thread of its own,
// so that neither mpv nor a slow frame (a heavy subtitle, a large picture)
// ever waits on the UI thread, and the UI thread never waits on them. Each
// frame is drawn at the size last set, shown by the presenter or handed to
// the UI thread through a triple buffer, newest first.
class FrameRenderer {
  public:
    // Told on the render thread after each frame it finished, and when the
    // presenter failed and the UI thread takes over the painting.
    using Finished = std::function<void()>;

    // Makes mpv's software render context for this core and starts drawing;
    // null when mpv cannot make the context. Without a presenter of its own the
    // UI thread paints the frames.
    static std::unique_ptr<FrameRenderer> start(mpv_handle* mpv, std::unique_ptr<FramePresenter> presenter,
                                                Finished finished);
    // Waits for a frame being drawn to finish, then frees the render context.
    ~FrameRenderer();

    FrameRenderer(const FrameRenderer&) = delete;
    FrameRenderer& operator=(const FrameRenderer&) = delete;

    // From the UI thread; none of them waits for a frame being drawn.
    // The size to draw at, in device pixels, and whether anyone can see the
    // frames: frames nobody sees are let go undrawn.
    void setTarget(QSize size, bool visible);
    // Draws the current frame again (the window was exposed or resized).
    void redraw();
    // The reader's side of the hand-over: takeNewest(), then front().
    TripleBuffer<Frame>& frames() { return frames_; }
    // Whether the UI thread paints the frames: from the start without a
    // presenter, and from the moment the presenter failed.
    bool uiPaints() const { return uiPaints_.load(std::memory_order_acquire); }
    // New video frames the presenter itself put on the screen so far.
    std::uint64_t framesShown() const { return shown_.load(std::memory_order_relaxed); }

  private:
    struct Target {
        QSize size;
        bool visible = false;
    };

    FrameRenderer(mpv_render_context* context, std::unique_ptr<FramePresenter> presenter, Finished finished);
    static void wake(void* self);
    void run();
    void draw(const Target& target, bool newFrame);
    bool render(FramePixels& pixels);
    void skip();
    // Gives the painting to the UI thread after the presenter failed.
    void fallBack();

    mpv_render_context* context_;
    std::unique_ptr<FramePresenter> own_;
    // Keeps frames in memory for the UI thread to paint.
    FramePresenter plain_;
    FramePresenter* presenter_; // the render thread's alone
    Finished finished_;
    // After the presenters: frames are freed before whatever made them.
    TripleBuffer<Frame> frames_;
    std::uint64_t serial_ = 0; // the render thread's alone
    std::atomic_bool uiPaints_{false};
    std::atomic<std::uint64_t> shown_{0};

    // Held only to read or change the requests below, never while drawing.
    std::mutex mutex_;
    std::condition_variable woken_;
    Target target_;
    bool updated_ = false;
    bool redraw_ = false;
    bool stop_ = false;
    std::thread thread_;
};

} // namespace media
