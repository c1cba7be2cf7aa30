#include "VolumeMemory.h"

#include "SettingsStore.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <exception>
#include <string_view>
#include <utility>

namespace media {

namespace {

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A level as someone may have typed it by hand ("50", "+50", "50.5", "50 %"),
// rounded and held to 0-100; nullopt for text that is no number.
std::optional<int> levelFrom(std::string_view text)
{
    text = trimmed(text);
    if (text.ends_with('%'))
        text = trimmed(text.substr(0, text.size() - 1));
    if (text.starts_with('+'))
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return static_cast<int>(std::lround(std::clamp(value, 0.0, 100.0)));
}

// 1 or true, 0 or false, in any case; nullopt for anything else.
std::optional<bool> muteFrom(std::string_view text)
{
    text = trimmed(text);
    const auto is = [text](std::string_view word) {
        return std::equal(text.begin(), text.end(), word.begin(), word.end(),
                          [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    };
    if (is("1") || is("true"))
        return true;
    if (is("0") || is("false"))
        return false;
    return std::nullopt;
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
        // A value someone mangled beyond reading counts as never saved; it stays in the file.
        level.volume = levelFrom(store_.GetSetting(appName_, Section, "Level", "")).value_or(level.volume);
        level.muted = muteFrom(store_.GetSetting(appName_, Section, "Mute", "")).value_or(level.muted);
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
