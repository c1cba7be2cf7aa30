#pragma once

#include "RuntimeError.h"
#include "support/Fakes.h"

#include <functional>
#include <string>
#include <string_view>

namespace fakes {

// Counts the values that really change, as the real store writes only those.
class CountingStore : public fakes::SettingsStore {
  public:
    void SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                     std::string_view value) override
    {
        if (failing)
            throw forms::RuntimeError("cannot write the settings file");
        if (GetSetting(app, section, key, "\x01") != value)
            ++writes;
        fakes::SettingsStore::SaveSetting(app, section, key, value);
    }
    void EditSettings(std::string_view app, std::string_view section,
                      const std::function<void(platform::SettingsEdit&)>& edit) override
    {
        ++attempts;
        if (failing)
            throw forms::RuntimeError("cannot write the settings file");
        const auto before = values;
        fakes::SettingsStore::EditSettings(app, section, edit);
        if (values != before)
            ++writes;
    }
    std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                           std::string_view defaultValue) override
    {
        if (failing)
            throw forms::RuntimeError("cannot read the settings file");
        return fakes::SettingsStore::GetSetting(app, section, key, defaultValue);
    }
    int writes = 0;
    // Edits tried, failed ones too.
    int attempts = 0;
    bool failing = false;
};

} // namespace fakes
