#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {

enum class PlaybackStatus { Stopped, Playing, Paused };

// What is playing, as a desktop media widget shows it.
struct TrackInfo {
    // Changes whenever other media is opened; 0 while none is.
    std::uint64_t id = 0;
    std::string title;
    // A file:// URL, or "" when the media is no local file.
    std::string url;
    std::optional<std::int64_t> lengthUs;

    bool operator==(const TrackInfo&) const = default;
};

// The player as the desktop's media keys and media widgets drive it. Times are
// in microseconds. Every call is made on the user-interface thread and returns
// without waiting for playback.
class RemoteControl {
  public:
    virtual ~RemoteControl() = default;

    virtual PlaybackStatus status() const = 0;
    virtual TrackInfo track() const = 0;
    // Read on demand only: it changes with every frame.
    virtual std::int64_t positionUs() const = 0;
    // 0 to 1.
    virtual double volume() const = 0;
    // Playback speed, 1 normal, within MinimumRate and MaximumRate.
    static constexpr double MinimumRate = 0.01;
    static constexpr double MaximumRate = 100;
    virtual double rate() const { return 1.0; }
    virtual void setRate(double rate) { (void)rate; }

    // Whether the action would do something now.
    virtual bool canPlay() const = 0;
    virtual bool canPause() const = 0;
    virtual bool canSeek() const = 0;
    virtual bool canGoNext() const = 0;
    virtual bool canGoPrevious() const = 0;

    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void stop() = 0;
    virtual void setPositionUs(std::int64_t position) = 0;
    virtual void setVolume(double volume) = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
    // Opens a local file as File, Open would.
    virtual void open(const std::string& path) = 0;
    // Brings the player window to the front; closes it as its close button does.
    virtual void raise() = 0;
    virtual void quit() = 0;

    // Set by the service: something above may have changed (not raised for the position).
    std::function<void()> changed;
    // Set by the service: the position jumped to this one.
    std::function<void(std::int64_t)> seeked;
};

} // namespace platform
