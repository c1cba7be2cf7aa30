#include "GuardedSettingsStore.h"

namespace platform {

std::string GuardedSettingsStore::GetSetting(std::string_view appName, std::string_view section,
                                             std::string_view key, std::string_view defaultValue)
{
    try {
        return inner_.GetSetting(appName, section, key, defaultValue);
    } catch (const std::exception& error) {
        failed(error);
        return std::string(defaultValue);
    }
}

void GuardedSettingsStore::SaveSetting(std::string_view appName, std::string_view section, std::string_view key,
                                       std::string_view value)
{
    try {
        inner_.SaveSetting(appName, section, key, value);
    } catch (const std::exception& error) {
        failed(error);
    }
}

void GuardedSettingsStore::EditSettings(std::string_view appName, std::string_view section,
                                        const std::function<void(SettingsEdit&)>& edit)
{
    try {
        inner_.EditSettings(appName, section, edit);
    } catch (const std::exception& error) {
        failed(error);
    }
}

void GuardedSettingsStore::failed(const std::exception& error)
{
    // The store's messages name the file and the trouble, so equal text is the same trouble.
    if (told_.insert(error.what()).second && tell_)
        tell_(error.what());
}

} // namespace platform
