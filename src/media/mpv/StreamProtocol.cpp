#include "StreamProtocol.h"

#include <mpv/client.h>
#include <mpv/stream_cb.h>

#include <exception>

namespace media {

namespace {

constexpr const char* Scheme = "zelvostream";

// Callbacks on mpv's threads: no exception may cross back into C.
std::int64_t readStream(void* cookie, char* buffer, std::uint64_t bytes) noexcept
{
    try {
        return static_cast<platform::ByteStream*>(cookie)->read(buffer, static_cast<std::int64_t>(bytes));
    } catch (...) {
        return -1;
    }
}

std::int64_t seekStream(void* cookie, std::int64_t offset) noexcept
{
    try {
        return static_cast<platform::ByteStream*>(cookie)->seek(offset) ? offset : std::int64_t{MPV_ERROR_GENERIC};
    } catch (...) {
        return MPV_ERROR_GENERIC;
    }
}

std::int64_t streamSize(void* cookie) noexcept
{
    try {
        const std::int64_t size = static_cast<const platform::ByteStream*>(cookie)->size();
        return size >= 0 ? size : std::int64_t{MPV_ERROR_UNSUPPORTED};
    } catch (...) {
        return MPV_ERROR_UNSUPPORTED;
    }
}

void closeStream(void* cookie) noexcept
{
    delete static_cast<platform::ByteStream*>(cookie);
}

} // namespace

int StreamProtocol::registerWith(mpv_handle* mpv)
{
    return mpv_stream_cb_add_ro(mpv, Scheme, this, &StreamProtocol::open);
}

std::string StreamProtocol::add(Opener opener)
{
    const std::lock_guard lock(mutex_);
    url_ = std::string(Scheme) + "://" + std::to_string(++next_);
    opener_ = std::move(opener);
    failure_.reset();
    return url_;
}

std::optional<std::string> StreamProtocol::failure(const std::string& url) const
{
    const std::lock_guard lock(mutex_);
    return url == url_ ? failure_ : std::nullopt;
}

int StreamProtocol::open(void* self, char* uri, mpv_stream_cb_info* info)
{
    return static_cast<StreamProtocol*>(self)->open(std::string(uri), *info);
}

int StreamProtocol::open(const std::string& uri, mpv_stream_cb_info& info)
{
    Opener opener;
    {
        const std::lock_guard lock(mutex_);
        if (uri != url_ || !opener_)
            return MPV_ERROR_LOADING_FAILED;
        opener = opener_;
    }
    std::unique_ptr<platform::ByteStream> stream;
    std::optional<std::string> failure;
    // The opener reads a disc and may take a while: it runs outside the lock.
    try {
        stream = opener();
        if (!stream)
            failure = "the media could not be read";
    } catch (const std::exception& error) {
        failure = error.what();
    } catch (...) {
        failure = "the media could not be read";
    }
    if (failure) {
        const std::lock_guard lock(mutex_);
        if (uri == url_)
            failure_ = std::move(failure);
        return MPV_ERROR_LOADING_FAILED;
    }
    info.cookie = stream.release();
    info.read_fn = &readStream;
    info.seek_fn = &seekStream;
    info.size_fn = &streamSize;
    info.close_fn = &closeStream;
    return 0;
}

} // namespace media
