#include "platform/IniSettingsStore.h"

#include <QSettings>

namespace platform {

namespace {

QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

std::string IniSettingsStore::GetSetting(std::string_view appName, std::string_view section, std::string_view key,
                                         std::string_view defaultValue)
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, qs(appName));
    return settings.value(qs(section) + '/' + qs(key), qs(defaultValue)).toString().toStdString();
}

void IniSettingsStore::SaveSetting(std::string_view appName, std::string_view section, std::string_view key,
                                   std::string_view value)
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, qs(appName));
    settings.setValue(qs(section) + '/' + qs(key), qs(value));
}

}  // namespace platform
