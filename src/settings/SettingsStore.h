#pragma once

#include <string>
#include <string_view>

namespace platform {

// The per-user settings store: application, section and key to text.
// Both calls throw forms::RuntimeError when the store cannot be read or written.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual std::string GetSetting(std::string_view appName, std::string_view section, std::string_view key,
                                   std::string_view defaultValue) = 0;
    virtual void SaveSetting(std::string_view appName, std::string_view section, std::string_view key,
                             std::string_view value) = 0;
};

} // namespace platform
