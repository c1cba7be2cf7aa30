#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace platform {

// The keys of one section while an edit of them is under way.
class SettingsEdit {
  public:
    virtual std::string Get(std::string_view key, std::string_view defaultValue) = 0;
    virtual void Set(std::string_view key, std::string_view value) = 0;

  protected:
    ~SettingsEdit() = default;
};

// The per-user settings store: application, section and key to text.
// Every call throws forms::RuntimeError when the store cannot be read or written.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual std::string GetSetting(std::string_view appName, std::string_view section, std::string_view key,
                                   std::string_view defaultValue) = 0;
    virtual void SaveSetting(std::string_view appName, std::string_view section, std::string_view key,
                             std::string_view value) = 0;
    // Reads and changes keys of one section as one step: edit sees the values
    // as they stand and sets some, and they are stored together, all or none.
    // No other program using the store changes the settings in between. An
    // exception from edit stores nothing. edit may run more than once (the
    // last run counts), so it must start afresh each time.
    virtual void EditSettings(std::string_view appName, std::string_view section,
                              const std::function<void(SettingsEdit&)>& edit) = 0;
};

} // namespace platform
