#pragma once

#include <functional>
#include <string>

namespace platform {
class SettingsStore;
}

namespace media {

// The right-click menu's toggles, kept from one run to the next in section
// [Preferences]. Anything but "1" or "0" there counts as never set (off).
struct Preferences {
    static constexpr const char* Section = "Preferences";
    static constexpr const char* ResumeKey = "ResumeAutomatically";
    static constexpr const char* NextKey = "PlayNextFileAtEnd";

    bool resumeAutomatically = false;
    bool playNextAtEnd = false;

    // Both read in one look at the store; the defaults when it cannot be read.
    static Preferences load(platform::SettingsStore& store, const std::string& appName,
                            const std::function<void(const std::string&)>& failed);
    // The one key that changed; a failure is told and the toggle still holds for this run.
    static void save(platform::SettingsStore& store, const std::string& appName, const char* key, bool on,
                     const std::function<void(const std::string&)>& failed);
};

} // namespace media
