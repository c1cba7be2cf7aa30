#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

// A seekable source of bytes for media that has no path of its own on Linux
// (a track file read straight from a disc or a disc image).
class ByteStream {
  public:
    virtual ~ByteStream() = default;
    virtual std::int64_t size() const = 0;
    // Reads up to n bytes; returns the count, 0 at the end, -1 on error.
    virtual std::int64_t read(char* buffer, std::int64_t n) = 0;
    virtual bool seek(std::int64_t position) = 0;
};

// Where the media named by a path really is.
struct ResolvedMedia {
    // A file the player can open by its real path; empty when openStream is set.
    std::string localPath;
    // Opens the bytes of a file that has no real path; empty when localPath is set.
    std::function<std::unique_ptr<ByteStream>()> openStream;
};

// Maps the paths that users and the player hand over (plain paths, and
// drive-letter paths such as D:\mpegav\avseq01.dat) to real media.
class MediaPaths {
  public:
    virtual ~MediaPaths() = default;
    // Throws forms::RuntimeError naming the path and the reason when it cannot be resolved.
    virtual ResolvedMedia resolve(std::string_view path) = 0;
};

} // namespace platform
