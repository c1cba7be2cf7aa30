#pragma once

#include "StreamProtocol.h"

#include <QImage>
#include <QObject>
#include <QSize>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

struct mpv_handle;
struct mpv_render_context;

namespace media {

// A second, paused libmpv instance that draws single pictures of the open
// file for the seek-bar preview: no sound, no subtitles, keyframe seeks,
// scaled by mpv's software renderer to the size asked for. It runs on a thread
// of its own; request() only leaves the newest time in a slot, so a request
// overtaken before the thread took it is dropped, never queued. Pictures come
// back on the UI thread as pictureReady. One engine serves one opened file.
class PreviewEngine : public QObject {
    Q_OBJECT
  public:
    // source: the file's absolute path, or, with opener set, a stream of ours
    // read through its own StreamProtocol (source is then ignored).
    PreviewEngine(std::string source, StreamProtocol::Opener opener, QObject* parent = nullptr);
    // Ends the thread and the instance; waits only when close() has not been
    // called and the thread has not finished yet (the control going away).
    ~PreviewEngine() override;

    // The picture at seconds, pixels in device pixels. Returns the request's number.
    std::uint64_t request(double seconds, QSize pixels);
    // Asks the thread to end without waiting for it; finished() follows.
    void close();
    // The file could not be opened or cannot seek: no pictures will come.
    bool unavailable() const { return unavailable_; }
    // The thread has ended (finished() was emitted).
    bool ended() const { return ended_; }
    // Engines alive in this process, for tests and the benchmark.
    static int alive() { return alive_; }

  signals:
    void pictureReady(std::uint64_t request, double seconds, const QImage& picture);
    void becameUnavailable();
    // The thread has ended and the instance is gone.
    void finished();

  private:
    struct Request {
        std::uint64_t number = 0;
        double seconds = 0;
        QSize pixels;
    };

    void run();
    // Makes the instance, serves requests until closed; false when it failed.
    bool work();
    bool serve(mpv_handle* mpv, mpv_render_context* render);
    static void wakeup(void* self);
    void wake();
    void fail();

    const std::string source_;
    const StreamProtocol::Opener opener_;

    // Held only to hand over the slot and flags below, never over an mpv call:
    // request() on the UI thread waits for no more than that.
    std::mutex mutex_;
    std::condition_variable changed_;
    std::optional<Request> pending_;
    std::uint64_t requests_ = 0;
    bool woken_ = false;
    bool quit_ = false;

    std::atomic_bool unavailable_{false};
    bool ended_ = false;
    std::thread thread_;
    static inline std::atomic_int alive_{0};
};

} // namespace media
