#include "PreviewEngine.h"

#include "MpvEngine.h"

#include <QByteArray>
#include <QMetaObject>

#include <mpv/client.h>
#include <mpv/render.h>

#include <malloc.h>

#include <chrono>
#include <utility>

namespace media {

namespace {

using Clock = std::chrono::steady_clock;

// QImage::Format_RGB32 in memory order.
constexpr const char* PixelFormat = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? "bgr0" : "0rgb";
// A seek still unanswered after this long is given up, so a later request can go.
constexpr auto SeekTimeout = std::chrono::seconds(5);
// The thread looks at the clock at least this often while a seek is under way.
constexpr auto Tick = std::chrono::milliseconds(500);
constexpr std::uint64_t SeekReply = 1;


} // namespace

PreviewEngine::PreviewEngine(std::string source, StreamProtocol::Opener opener, QObject* parent)
    : QObject(parent), source_(std::move(source)), opener_(std::move(opener))
{
    ++alive_;
    thread_ = std::thread([this] { run(); });
}

PreviewEngine::~PreviewEngine()
{
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    // Only when the control itself goes away before the thread has ended: the
    // instance's teardown is waited for once, as the playing instance's is.
    if (thread_.joinable())
        thread_.join();
    --alive_;
}

std::uint64_t PreviewEngine::request(double seconds, QSize pixels)
{
    std::uint64_t number = 0;
    {
        const std::lock_guard lock(mutex_);
        number = ++requests_;
        // An older request still waiting is overtaken: it is replaced, not queued.
        pending_ = Request{number, seconds, pixels};
    }
    changed_.notify_one();
    return number;
}

void PreviewEngine::close()
{
    {
        const std::lock_guard lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
}

void PreviewEngine::wake()
{
    {
        const std::lock_guard lock(mutex_);
        woken_ = true;
    }
    changed_.notify_one();
}

void PreviewEngine::fail()
{
    unavailable_ = true;
    QMetaObject::invokeMethod(this, [this] { emit becameUnavailable(); }, Qt::QueuedConnection);
}

void PreviewEngine::run()
{
    if (!work())
        fail();
    // The instance's threads have ended and left their memory in the allocator's
    // per-thread pools: hand it back now, here rather than on the UI thread.
    malloc_trim(0);
    // The last thing the thread does: the join below finds it ending, not working.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (thread_.joinable())
                thread_.join();
            ended_ = true;
            emit finished();
        },
        Qt::QueuedConnection);
}

bool PreviewEngine::work()
{
    // Declared before the core, so that it outlives it: mpv reads through it until the end.
    StreamProtocol streams;
    mpv_handle* mpv = mpv_create();
    if (!mpv)
        return false;
    // Cheap pictures, nothing else: no sound, no subtitles, keyframe seeks, one
    // decoding thread, a small cache, nothing of the user's mpv set-up.
    constexpr std::pair<const char*, const char*> options[] = {
        {"config", "no"},
        {"load-scripts", "no"},
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
        {"ytdl", "no"},
        {"osc", "no"},
        {"input-default-bindings", "no"},
        {"input-builtin-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"terminal", "no"},
        {"vo", "libmpv"},
        {"ao", "null"},
        {"aid", "no"},
        {"sid", "no"},
        {"sub-auto", "no"},
        {"audio-file-auto", "no"},
        {"osd-level", "0"},
        {"hwdec", "no"},
        {"hr-seek", "no"},
        {"pause", "yes"},
        {"idle", "yes"},
        {"keep-open", "yes"},
        {"cache", "no"},
        {"demuxer-max-bytes", "4MiB"},
        {"demuxer-max-back-bytes", "0"},
        {"demuxer-readahead-secs", "1"},
        {"vd-lavc-threads", "1"},
        {"vd-lavc-skiploopfilter", "all"},
        {"video-timing-offset", "0"},
    };
    for (const auto& [name, value] : options)
        mpv_set_option_string(mpv, name, value);
    if (mpv_initialize(mpv) < 0) {
        mpv_terminate_destroy(mpv);
        return false;
    }
    std::string url = source_;
    if (opener_) {
        streams.registerWith(mpv);
        url = streams.add(opener_);
    }
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context* render = nullptr;
    if (mpv_render_context_create(&render, mpv, params) < 0) {
        mpv_terminate_destroy(mpv);
        return false;
    }
    mpv_set_wakeup_callback(mpv, &PreviewEngine::wakeup, this);
    mpv_render_context_set_update_callback(render, &PreviewEngine::wakeup, this);
    const char* load[] = {"loadfile", url.c_str(), nullptr};
    const bool ok = mpv_command_async(mpv, 0, load) >= 0 && serve(mpv, render);
    // The render context goes before the core.
    mpv_render_context_set_update_callback(render, nullptr, nullptr);
    mpv_render_context_free(render);
    mpv_set_wakeup_callback(mpv, nullptr, nullptr);
    mpv_terminate_destroy(mpv);
    return ok;
}

void PreviewEngine::wakeup(void* self)
{
    // On one of mpv's threads: the mutex is never held over an mpv call, so this cannot deadlock.
    static_cast<PreviewEngine*>(self)->wake();
}

bool PreviewEngine::serve(mpv_handle* mpv, mpv_render_context* render)
{
    bool ready = false;
    // Keyframe seeks, except where the container has no index (MPEG program
    // streams, Video CD tracks): there mpv's keyframe seek lands by a byte
    // estimate, seconds away, and an exact seek of a small MPEG-1 picture is cheap.
    const char* seekHow = "absolute+keyframes";
    std::optional<Request> current;
    Clock::time_point asked;
    // A restart counts only after mpv has started our seek: the one that ends the
    // file's first load may still be on its way when the first seek is sent.
    bool seekStarted = false;
    bool restarted = false;
    QImage picture;
    // mpv's output waits for each frame to be drawn: a frame before any request is drawn small.
    QSize size(16, 16);
    for (;;) {
        std::optional<Request> next;
        {
            std::unique_lock lock(mutex_);
            changed_.wait_for(lock, Tick, [&] { return quit_ || woken_ || (ready && !current && pending_); });
            if (quit_)
                return true;
            woken_ = false;
            if (ready && !current && pending_)
                next = std::exchange(pending_, std::nullopt);
        }
        if (next) {
            current = next;
            size = next->pixels.isEmpty() ? size : next->pixels;
            asked = Clock::now();
            seekStarted = false;
            restarted = false;
            const QByteArray to = QByteArray::number(next->seconds, 'f', 3);
            const char* seek[] = {"seek", to.constData(), seekHow, nullptr};
            if (mpv_command_async(mpv, SeekReply, seek) < 0)
                current.reset();
        }
        for (;;) {
            const mpv_event* event = mpv_wait_event(mpv, 0);
            if (event->event_id == MPV_EVENT_NONE)
                break;
            switch (event->event_id) {
            case MPV_EVENT_FILE_LOADED: {
                int seekable = 0;
                // Answered by the core at once: the file is loaded and this thread is its only user.
                if (mpv_get_property(mpv, "seekable", MPV_FORMAT_FLAG, &seekable) < 0 || !seekable)
                    return false;
                char* format = mpv_get_property_string(mpv, "file-format");
                if (seekLeadInFor(format ? format : "") > 0) {
                    seekHow = "absolute+exact";
                    double leadIn = seekLeadInFor(format ? format : "");
                    mpv_set_property(mpv, "hr-seek-demuxer-offset", MPV_FORMAT_DOUBLE, &leadIn);
                }
                mpv_free(format);
                ready = true;
                break;
            }
            case MPV_EVENT_END_FILE:
                if (static_cast<const mpv_event_end_file*>(event->data)->reason == MPV_END_FILE_REASON_ERROR)
                    return false;
                break;
            case MPV_EVENT_COMMAND_REPLY:
                if (event->reply_userdata == SeekReply && event->error < 0)
                    current.reset();
                break;
            case MPV_EVENT_SEEK:
                seekStarted = current.has_value();
                break;
            case MPV_EVENT_PLAYBACK_RESTART:
                restarted = current && seekStarted;
                break;
            case MPV_EVENT_SHUTDOWN:
                return true;
            default:
                break;
            }
        }
        if (mpv_render_context_update(render) & MPV_RENDER_UPDATE_FRAME) {
            // A new image each time: the last one may be on its way to the UI thread.
            QImage drawn(size, QImage::Format_RGB32);
            int pixels[2] = {size.width(), size.height()};
            std::size_t stride = static_cast<std::size_t>(drawn.bytesPerLine());
            mpv_render_param draw[] = {
                {MPV_RENDER_PARAM_SW_SIZE, pixels},
                {MPV_RENDER_PARAM_SW_FORMAT, const_cast<char*>(PixelFormat)},
                {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                {MPV_RENDER_PARAM_SW_POINTER, drawn.bits()},
                {MPV_RENDER_PARAM_INVALID, nullptr},
            };
            if (mpv_render_context_render(render, draw) >= 0)
                picture = std::move(drawn);
        }
        // mpv reports the seek done once its frame has been drawn above.
        if (current && restarted) {
            if (picture.size() == current->pixels)
                QMetaObject::invokeMethod(
                    this,
                    [this, number = current->number, seconds = current->seconds, picture] {
                        emit pictureReady(number, seconds, picture);
                    },
                    Qt::QueuedConnection);
            current.reset();
            restarted = false;
        } else if (current && Clock::now() - asked > SeekTimeout) {
            current.reset();
        }
    }
}

} // namespace media
