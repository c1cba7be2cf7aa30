#include "SeekPreviewSetting.h"

#include "SettingsStore.h"

#include <exception>
#include <utility>

namespace media {

SeekPreviewSetting::SeekPreviewSetting(platform::SettingsStore& store, std::string appName,
                                       std::function<void(const std::string&)> report)
    : store_(store), appName_(std::move(appName)), report_(std::move(report))
{
}

bool SeekPreviewSetting::load()
{
    try {
        // Anything but an explicit "0" (a value mangled by hand too) leaves it on.
        return store_.GetSetting(appName_, Section, Key, "1") != "0";
    } catch (const std::exception& error) {
        failed("read", error);
        return true;
    }
}

void SeekPreviewSetting::save(bool on)
{
    try {
        store_.SaveSetting(appName_, Section, Key, on ? "1" : "0");
    } catch (const std::exception& error) {
        failed("remembered", error);
    }
}

void SeekPreviewSetting::failed(const char* what, const std::exception& error)
{
    if (std::exchange(reported_, true) || !report_)
        return;
    report_(std::string("The seek preview setting cannot be ") + what + ": " + error.what());
}

} // namespace media
