#include "VolumeMemory.h"

#include "SettingsStore.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <utility>

namespace media {

namespace {

std::optional<int> number(const std::string& text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

VolumeMemory::VolumeMemory(platform::SettingsStore& store, std::string appName,
                           std::function<void(const std::string&)> report, int quietMilliseconds, QObject* parent)
    : QObject(parent), store_(store), appName_(std::move(appName)), report_(std::move(report))
{
    quiet_.setSingleShot(true);
    quiet_.setInterval(quietMilliseconds);
    connect(&quiet_, &QTimer::timeout, this, &VolumeMemory::flush);
}

VolumeMemory::~VolumeMemory()
{
    flush();
}

VolumeLevel VolumeMemory::load()
{
    VolumeLevel level;
    try {
        // A value someone mangled by hand counts as never saved.
        if (const auto volume = number(store_.GetSetting(appName_, Section, "Level", "")))
            level.volume = std::clamp(*volume, 0, 100);
        level.muted = store_.GetSetting(appName_, Section, "Mute", "0") == "1";
    } catch (const std::exception& error) {
        failed(error);
    }
    saved_ = level;
    return level;
}

void VolumeMemory::remember(VolumeLevel level)
{
    pending_ = level;
    quiet_.start();
}

void VolumeMemory::flush()
{
    quiet_.stop();
    if (!pending_)
        return;
    const VolumeLevel level = *std::exchange(pending_, std::nullopt);
    try {
        // One edit of the section: a burst that moved the level and the mute is
        // one write of the file, and only the keys that changed are written.
        const VolumeLevel saved = saved_;
        store_.EditSettings(appName_, Section, [&level, &saved](platform::SettingsEdit& edit) {
            if (level.volume != saved.volume)
                edit.Set("Level", std::to_string(level.volume));
            if (level.muted != saved.muted)
                edit.Set("Mute", level.muted ? "1" : "0");
        });
        saved_ = level;
    } catch (const std::exception& error) {
        failed(error);
    }
}

void VolumeMemory::failed(const std::exception& error)
{
    if (std::exchange(reported_, true) || !report_)
        return;
    report_(std::string("The volume cannot be remembered for the next time: ") + error.what());
}

} // namespace media
