#pragma once

#include "SettingsStore.h"

#include <exception>
#include <functional>
#include <set>
#include <string>

namespace platform {

// The settings store as the player uses it for a whole run: no failure of the
// store beneath reaches the caller. A read that fails gives the default, a
// write or an edit that fails stores nothing, and each distinct trouble is
// told once, however often it recurs: a damaged file fails every open, and
// telling it again would stack boxes over the film.
class GuardedSettingsStore : public SettingsStore {
  public:
    GuardedSettingsStore(SettingsStore& inner, std::function<void(const std::string&)> tell)
        : inner_(inner), tell_(std::move(tell))
    {
    }

    std::string GetSetting(std::string_view appName, std::string_view section, std::string_view key,
                           std::string_view defaultValue) override;
    void SaveSetting(std::string_view appName, std::string_view section, std::string_view key,
                     std::string_view value) override;
    void EditSettings(std::string_view appName, std::string_view section,
                      const std::function<void(SettingsEdit&)>& edit) override;

  private:
    void failed(const std::exception& error);

    SettingsStore& inner_;
    std::function<void(const std::string&)> tell_;
    std::set<std::string> told_;
};

} // namespace platform
