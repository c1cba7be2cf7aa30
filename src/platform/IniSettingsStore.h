#pragma once

#include "platform/SettingsStore.h"

namespace platform {

// The settings store as INI files in the user's XDG config directory: the
// application name "X" is the file "$XDG_CONFIG_HOME/X.ini".
class IniSettingsStore : public SettingsStore {
public:
    std::string GetSetting(std::string_view appName, std::string_view section, std::string_view key,
                           std::string_view defaultValue) override;
    void SaveSetting(std::string_view appName, std::string_view section, std::string_view key,
                     std::string_view value) override;
};

}  // namespace platform
