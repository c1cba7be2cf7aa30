#pragma once

#include "SettingsStore.h"

#include <QString>

namespace platform {

class IniText;

// The settings store as INI files in the user's XDG config directory: the
// application name "X" is the file "$XDG_CONFIG_HOME/X.ini" (by default
// ~/.config/X.ini), a section is an INI group, a key an INI key. The files are
// in QSettings' INI format, and QSettings reads them as we do.
//
// Every call reads the file afresh, so two running players see each other's
// changes. A write (or an edit) that changes something holds QSettings' lock
// file, reads the file, and replaces it whole (a temporary file renamed over
// the old one) only after every byte of the new one has reached the disk, so
// a failure leaves the old file as it was. QSettings itself is not used for the file: Qt 6.4 renames a half-written
// file over the old one when the disk fills up, and keeps a value it could not
// write in its per-process copy of the file, where later reads find it.
//
// A file or folder that cannot be read or written, a file whose permissions
// say it is read-only (it is not replaced), and a file that cannot be
// understood or is not a regular file (it is never waited for, nor replaced),
// throw forms::RuntimeError naming the file. Values are text and come back
// byte for byte as they were saved, also file names that are not valid UTF-8.
class IniSettingsStore : public SettingsStore {
  public:
    std::string GetSetting(std::string_view appName, std::string_view section, std::string_view key,
                           std::string_view defaultValue) override;
    void SaveSetting(std::string_view appName, std::string_view section, std::string_view key,
                     std::string_view value) override;
    void EditSettings(std::string_view appName, std::string_view section,
                      const std::function<void(SettingsEdit&)>& edit) override;

    // The file that holds the application's settings, as the environment says now.
    static QString fileFor(std::string_view appName);

  private:
    void update(std::string_view appName, const std::function<bool(IniText&)>& change);
};

} // namespace platform
