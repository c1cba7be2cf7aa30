#pragma once

#include "MediaPaths.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

struct mpv_handle;
struct mpv_stream_cb_info;

namespace media {

// Hands media that has no path of its own (a track read straight from a disc)
// to mpv as a seekable stream behind a URL of our own scheme. mpv opens and
// reads the stream on its own threads.
class StreamProtocol {
  public:
    using Opener = std::function<std::unique_ptr<platform::ByteStream>()>;

    StreamProtocol() = default;
    StreamProtocol(const StreamProtocol&) = delete;
    StreamProtocol& operator=(const StreamProtocol&) = delete;

    // Registers the scheme with an mpv core, which must be destroyed before this object.
    // Returns an mpv error code.
    int registerWith(mpv_handle* mpv);

    // A new URL whose opening calls opener; it replaces every earlier source,
    // so only the media being opened can be opened.
    std::string add(Opener opener);
    // Why opening that URL failed, when the opener threw.
    std::optional<std::string> failure(const std::string& url) const;

  private:
    static int open(void* self, char* uri, mpv_stream_cb_info* info);
    int open(const std::string& uri, mpv_stream_cb_info& info);

    mutable std::mutex mutex_;
    unsigned long long next_ = 0;
    std::string url_;
    Opener opener_;
    std::optional<std::string> failure_;
};

} // namespace media
