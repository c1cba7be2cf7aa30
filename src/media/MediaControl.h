#pragma once

#include "HostedControl.h"

#include <cstdint>
#include <functional>
#include <string>

namespace media {

// What the player window may ask of its media playback control. Its place and
// size are the forms layer's extender; the control sets its own size.
class MediaControl : public forms::HostedControl {
  public:
    // Opens the file at that path, unchanged, in place of any open media;
    // OpenComplete follows once it is open. Throws forms::RuntimeError when the
    // path is refused at once.
    virtual void MediaFile(const std::string& path) = 0;
    // The path of the open media, exactly as it was put.
    virtual std::string MediaFile() const = 0;
    virtual void StartPlayback() = 0;
    // 0: position as time, 1: as a frame number.
    virtual void DisplayUnit(std::int32_t unit) = 0;
    // Colours are 0x00BBGGRR.
    virtual std::int32_t DisplayForeColor() const = 0;
    virtual void DisplayForeColor(std::int32_t color) = 0;
    virtual std::int32_t DisplayBackColor() const = 0;
    virtual void DisplayBackColor(std::int32_t color) = 0;
    // 0 the movie's own size, 1 double, 3 a quarter of the screen, 4 half of it.
    // Width and Height give the new size as soon as this returns.
    virtual void MovieSize(std::int32_t size) = 0;
    // Adds a subtitle file to the media playing; false when path is no
    // subtitle file or nothing plays, and it is then opened as media.
    virtual bool AddSubtitle(const std::string& path)
    {
        (void)path;
        return false;
    }

    // Notifications, raised on the user-interface thread.
    std::function<void()> OpenComplete;
    std::function<void(std::int16_t&)> KeyPress;
};

} // namespace media
