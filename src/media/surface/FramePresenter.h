#pragma once

#include <QSize>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace media {

class FramePresenter;

// The pixels of one video frame as mpv draws them: rows of stride bytes laid
// out as QImage::Format_RGB32, in device pixels.
struct FramePixels {
    virtual ~FramePixels() = default;
    unsigned char* data = nullptr;
    QSize size;
    std::size_t stride = 0;
    // The presenter that made them; pixels of another are not drawn into.
    const FramePresenter* maker = nullptr;
};

// One slot of the hand-over between the render thread and the UI thread.
struct Frame {
    std::unique_ptr<FramePixels> pixels;
    // Which of mpv's video frames it shows (a redraw shows the same one again).
    std::uint64_t serial = 0;
};

// Shows frames the render thread has drawn. Every call comes from the render
// thread. The plain presenter only keeps the pixels in memory: the UI thread
// paints the newest finished frame. Others put the frame on the screen
// themselves, straight from the render thread.
class FramePresenter {
  public:
    enum class Presented {
        // The UI thread is to paint it.
        Later,
        // It is on its way to the screen.
        Shown,
        // It cannot be shown this time (its window is being replaced), and
        // there is nothing for the UI thread to do.
        Dropped,
        // This presenter cannot show frames at all (no display, no shared
        // memory, a window it cannot draw into): the UI thread takes over.
        Failed,
    };

    virtual ~FramePresenter() = default;

    // Pixels for a frame of this size; null when there is no memory for them.
    virtual std::unique_ptr<FramePixels> allocate(QSize size)
    {
        // mpv's fastest paths want rows and pixels on 64-byte boundaries.
        constexpr std::size_t Alignment = 64;
        struct HeapPixels : FramePixels {
            ~HeapPixels() override { std::free(data); }
        };
        auto pixels = std::make_unique<HeapPixels>();
        pixels->stride = (static_cast<std::size_t>(size.width()) * 4 + Alignment - 1) / Alignment * Alignment;
        pixels->data = static_cast<unsigned char*>(std::aligned_alloc(Alignment, pixels->stride * size.height()));
        if (!pixels->data)
            return nullptr;
        pixels->size = size;
        pixels->maker = this;
        return pixels;
    }

    // Returns once nothing reads these pixels any more, so mpv may draw into them again.
    virtual void reclaim(FramePixels&) {}

    // Shows pixels mpv has just finished drawing.
    virtual Presented present(FramePixels&) { return Presented::Later; }
};

} // namespace media
