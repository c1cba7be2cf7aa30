#include "Preferences.h"

#include "SettingsStore.h"

#include <exception>

namespace media {

namespace {

bool flag(const std::string& text, bool otherwise)
{
    if (text == "1")
        return true;
    if (text == "0")
        return false;
    return otherwise;
}

} // namespace

Preferences Preferences::load(platform::SettingsStore& store, const std::string& appName,
                              const std::function<void(const std::string&)>& failed)
{
    Preferences preferences;
    try {
        // An edit that sets nothing is a single read of the store.
        store.EditSettings(appName, Section, [&](platform::SettingsEdit& edit) {
            preferences.resumeAutomatically = flag(edit.Get(ResumeKey, ""), false);
            preferences.playNextAtEnd = flag(edit.Get(NextKey, ""), false);
        });
    } catch (const std::exception& error) {
        preferences = Preferences();
        if (failed)
            failed(error.what());
    }
    return preferences;
}

void Preferences::save(platform::SettingsStore& store, const std::string& appName, const char* key, bool on,
                       const std::function<void(const std::string&)>& failed)
{
    try {
        store.SaveSetting(appName, Section, key, on ? "1" : "0");
    } catch (const std::exception& error) {
        if (failed)
            failed(error.what());
    }
}

} // namespace media
