#include "Resume.h"

#include "SettingsStore.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace media {

namespace {

// No film runs a thousand hours: a bigger figure was typed, not saved.
constexpr double LongestPosition = 1000.0 * 3600;

template <typename Number>
std::optional<Number> number(std::string_view text)
{
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

} // namespace

std::optional<ResumeEntry> parseResumeEntry(std::string_view text)
{
    std::string_view fields[3];
    for (auto& field : fields) {
        const std::size_t bar = text.find('|');
        if (bar == std::string_view::npos)
            return std::nullopt;
        field = text.substr(0, bar);
        text.remove_prefix(bar + 1);
    }
    const auto seconds = number<double>(fields[0]);
    const auto size = number<std::int64_t>(fields[1]);
    const auto modified = number<std::int64_t>(fields[2]);
    if (!seconds || !size || !modified || !std::isfinite(*seconds) || *seconds <= 0 || *seconds > LongestPosition ||
        *size < 0 || !text.starts_with('/'))
        return std::nullopt;
    return ResumeEntry{std::string(text), *seconds, {*size, *modified}};
}

std::string resumeEntryText(const ResumeEntry& entry)
{
    char seconds[32];
    const auto end = std::to_chars(seconds, seconds + sizeof seconds, entry.seconds, std::chars_format::fixed, 3).ptr;
    return std::string(seconds, end) + '|' + std::to_string(entry.stamp.size) + '|' +
           std::to_string(entry.stamp.modifiedMs) + '|' + entry.path;
}

bool worthResuming(double position, std::optional<double> duration)
{
    return std::isfinite(position) && position >= 10 && duration && *duration > 0 && position < *duration * 0.95;
}

bool watchedToEnd(double position, std::optional<double> duration)
{
    return std::isfinite(position) && duration && *duration > 0 && position >= *duration * 0.95;
}

void ResumePositions::readFrom(platform::SettingsEdit& edit)
{
    entries_.clear();
    for (std::size_t i = 0; i < Capacity; ++i) {
        const std::optional<ResumeEntry> entry = parseResumeEntry(edit.Get(std::to_string(i), ""));
        // A path twice (a hand edit) counts once, at its newest place.
        if (entry && std::none_of(entries_.begin(), entries_.end(),
                                  [&](const ResumeEntry& kept) { return kept.path == entry->path; }))
            entries_.push_back(*entry);
    }
}

void ResumePositions::writeTo(platform::SettingsEdit& edit) const
{
    for (std::size_t i = 0; i < Capacity; ++i) {
        const std::string key = std::to_string(i);
        if (i < entries_.size())
            edit.Set(key, resumeEntryText(entries_[i]));
        else if (!edit.Get(key, "").empty())
            edit.Set(key, "");
    }
}

void ResumePositions::remember(const ResumeEntry& entry)
{
    forget(entry.path);
    entries_.insert(entries_.begin(), entry);
    if (entries_.size() > Capacity)
        entries_.resize(Capacity);
}

bool ResumePositions::forget(const std::string& path)
{
    return std::erase_if(entries_, [&](const ResumeEntry& entry) { return entry.path == path; }) > 0;
}

std::optional<double> ResumePositions::offer(const std::string& path, const FileStamp& stamp,
                                             std::optional<double> duration) const
{
    for (const ResumeEntry& entry : entries_) {
        if (entry.path != path)
            continue;
        if (entry.stamp != stamp || (duration && entry.seconds >= *duration))
            return std::nullopt;
        return entry.seconds;
    }
    return std::nullopt;
}

} // namespace media
