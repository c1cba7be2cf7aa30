// The software surface's render thread over a real mpv core: a frame that is
// slow to draw holds up nobody, frames nobody sees are let go, and a presenter
// that cannot show frames hands the painting to the UI thread.
#include "test_mpv_media.h"

#include "FrameRenderer.h"

#include <mpv/client.h>

#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>

using namespace std::chrono_literals;

namespace {

// An mpv core that plays a clip round and round into the render API.
class Core {
  public:
    Core() : mpv_(mpv_create())
    {
        for (const auto& [name, value] : {std::pair{"config", "no"}, {"terminal", "no"}, {"vo", "libmpv"},
                                          {"ao", "null"}, {"hwdec", "no"}, {"loop-file", "inf"}})
            mpv_set_option_string(mpv_, name, value);
        mpv_initialize(mpv_);
    }
    ~Core() { mpv_terminate_destroy(mpv_); }

    mpv_handle* handle() const { return mpv_; }
    void play(const std::string& path)
    {
        const char* command[] = {"loadfile", path.c_str(), nullptr};
        mpv_command(mpv_, command);
    }
    double position() const
    {
        double seconds = 0;
        mpv_get_property(mpv_, "time-pos", MPV_FORMAT_DOUBLE, &seconds);
        return seconds;
    }

  private:
    mpv_handle* mpv_;
};

// Keeps the render thread inside present() until let go, as a frame that takes
// long to draw (a heavy subtitle) would; answers with `result`.
class GatePresenter : public media::FramePresenter {
  public:
    explicit GatePresenter(bool open, Presented result = Presented::Later) : open_(open), result_(result) {}

    std::unique_ptr<media::FramePixels> allocate(QSize size) override
    {
        ++allocations;
        return FramePresenter::allocate(size);
    }

    Presented present(media::FramePixels&) override
    {
        std::unique_lock lock(mutex_);
        ++presents_;
        inside_ = true;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
        inside_ = false;
        return result_;
    }

    bool waitInside()
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 10s, [this] { return inside_; });
    }
    bool inside()
    {
        std::lock_guard lock(mutex_);
        return inside_;
    }
    int presents()
    {
        std::lock_guard lock(mutex_);
        return presents_;
    }
    void open()
    {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

    std::atomic_int allocations = 0;

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_;
    bool inside_ = false;
    int presents_ = 0;
    Presented result_;
};

// The newest finished frame, once it has this size.
bool frameOfSize(media::FrameRenderer& renderer, QSize size)
{
    renderer.frames().takeNewest();
    const media::Frame& frame = renderer.frames().front();
    return frame.pixels && frame.pixels->size == size;
}

TEST(FrameRenderer, AFrameSlowToDrawHoldsUpNeitherTheUiThreadNorTheFramesAfterIt)
{
    Core core;
    auto presenter = std::make_unique<GatePresenter>(false);
    GatePresenter& gate = *presenter;
    std::atomic_int finished = 0;
    auto renderer = media::FrameRenderer::start(core.handle(), std::move(presenter), [&] { ++finished; });
    ASSERT_TRUE(renderer);
    renderer->setTarget(QSize(64, 48), true);
    core.play(clip("clip.mpg"));
    ASSERT_TRUE(gate.waitInside());

    // What the UI thread does (a resize, an expose, a paint) while the frame is being drawn.
    auto ui = std::async(std::launch::async, [&] {
        renderer->setTarget(QSize(96, 72), true);
        renderer->redraw();
        return renderer->frames().takeNewest();
    });
    const bool returned = ui.wait_for(10s) == std::future_status::ready;
    const bool stillDrawing = gate.inside();
    gate.open();
    ASSERT_TRUE(returned) << "the UI thread waited for a frame being drawn";
    EXPECT_TRUE(stillDrawing);
    EXPECT_FALSE(ui.get()) << "a frame was handed over before it was finished";

    // Let go, the render thread goes on to frames of the size asked for meanwhile.
    EXPECT_TRUE(waitFor([&] { return frameOfSize(*renderer, QSize(96, 72)); }));
    EXPECT_GE(finished, 2);
}

TEST(FrameRenderer, FramesNobodyCanSeeAreLetGoUndrawnAndTheCurrentOneIsDrawnOnceSeen)
{
    Core core;
    auto presenter = std::make_unique<GatePresenter>(true);
    GatePresenter& counter = *presenter;
    auto renderer = media::FrameRenderer::start(core.handle(), std::move(presenter), {});
    ASSERT_TRUE(renderer);
    renderer->setTarget(QSize(64, 48), false);
    core.play(clip("clip.mpg"));
    // mpv plays on through frames the renderer lets go.
    ASSERT_TRUE(waitFor([&] { return core.position() > 0.5; }));
    EXPECT_EQ(counter.presents(), 0);
    EXPECT_EQ(counter.allocations, 0);

    renderer->setTarget(QSize(64, 48), true);
    EXPECT_TRUE(waitFor([&] { return frameOfSize(*renderer, QSize(64, 48)); }));
    EXPECT_GT(counter.presents(), 0);
}

TEST(FrameRenderer, APresenterThatCannotShowFramesHandsThePaintingToTheUiThread)
{
    Core core;
    auto presenter = std::make_unique<GatePresenter>(true, media::FramePresenter::Presented::Failed);
    GatePresenter& failing = *presenter;
    std::atomic_int finished = 0;
    auto renderer = media::FrameRenderer::start(core.handle(), std::move(presenter), [&] { ++finished; });
    ASSERT_TRUE(renderer);
    EXPECT_FALSE(renderer->uiPaints());
    renderer->setTarget(QSize(64, 48), true);
    core.play(clip("clip.mpg"));

    // Frames go on reaching the UI thread, in memory of the renderer's own.
    EXPECT_TRUE(waitFor([&] {
        renderer->frames().takeNewest();
        const media::Frame& frame = renderer->frames().front();
        return frame.pixels && frame.pixels->maker != &failing && frame.serial > 2;
    }));
    EXPECT_TRUE(renderer->uiPaints());
    EXPECT_EQ(failing.presents(), 1) << "asked again after it failed";
    EXPECT_EQ(renderer->framesShown(), 0u);
    EXPECT_GT(finished, 0);
}

} // namespace
