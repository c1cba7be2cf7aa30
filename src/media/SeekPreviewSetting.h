#pragma once

#include <exception>
#include <functional>
#include <string>

namespace platform {
class SettingsStore;
}

namespace media {

// Whether the seek bar shows a preview, kept in a section of its own
// ([Preferences], key SeekPreview, "1" or "0"); on when never saved. A store
// that fails leaves the preview as asked for this run, and says so once.
class SeekPreviewSetting {
  public:
    static constexpr const char* Section = "Preferences";
    static constexpr const char* Key = "SeekPreview";

    SeekPreviewSetting(platform::SettingsStore& store, std::string appName,
                       std::function<void(const std::string&)> report);

    bool load();
    void save(bool on);

  private:
    void failed(const char* what, const std::exception& error);

    platform::SettingsStore& store_;
    std::string appName_;
    std::function<void(const std::string&)> report_;
    bool reported_ = false;
};

} // namespace media
