#pragma once

#include "MediaControl.h"
#include "RuntimeError.h"
#include "Twips.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace fakes {

// The media control's test double. It records every call in order, refuses
// the paths a test names, and sizes itself on a MovieSize put, before the put
// returns, from a video size the test chooses.
class MediaControl : public media::MediaControl {
  public:
    MediaControl() { place(240, 240, 5175, 4935); }

    void MediaFile(const std::string& path) override
    {
        log.push_back("MediaFile=" + path);
        if (refused.count(path))
            throw forms::RuntimeError("Cannot open " + path);
        path_ = path;
    }
    std::string MediaFile() const override { return path_; }
    void StartPlayback() override { log.emplace_back("StartPlayback"); }
    void DisplayUnit(std::int32_t unit) override
    {
        log.push_back("DisplayUnit=" + std::to_string(unit));
        displayUnit = unit;
    }
    std::int32_t DisplayForeColor() const override { return fore; }
    void DisplayForeColor(std::int32_t color) override
    {
        log.push_back("DisplayForeColor=" + std::to_string(color));
        fore = color;
    }
    std::int32_t DisplayBackColor() const override { return back; }
    void DisplayBackColor(std::int32_t color) override
    {
        log.push_back("DisplayBackColor=" + std::to_string(color));
        back = color;
    }
    void MovieSize(std::int32_t size) override
    {
        log.push_back("MovieSize=" + std::to_string(size));
        movieSize = size;
        auto chosen = sizes.find(size);
        if (chosen != sizes.end()) {
            setSize(chosen->second.width, chosen->second.height);
        } else {
            const float factor = size == 1 ? 2.0f : 1.0f;
            setSize(video.width * factor, video.height * factor);
        }
    }

    // Raises the notifications as the real control would.
    void completeOpen()
    {
        if (OpenComplete)
            OpenComplete();
    }
    std::int16_t typeKey(std::int16_t code)
    {
        if (KeyPress)
            KeyPress(code);
        return code;
    }

    // Control size in twips for a MovieSize value; others use the video size.
    std::map<std::int32_t, forms::TwipsSize> sizes;
    forms::TwipsSize video{352 * 15.0f, 288 * 15.0f};
    std::set<std::string> refused;
    std::vector<std::string> log;
    std::int32_t movieSize = -1;
    std::int32_t displayUnit = -1;
    std::int32_t fore = 0x00ffffff;
    std::int32_t back = 0;

  private:
    std::string path_;
};

} // namespace fakes
