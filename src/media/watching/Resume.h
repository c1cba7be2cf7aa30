#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class SettingsEdit;
}

namespace media {

// What tells one version of a file from another: a file changed since its
// position was kept (re-encoded, replaced) must not be resumed.
struct FileStamp {
    std::int64_t size = 0;
    std::int64_t modifiedMs = 0;
    bool operator==(const FileStamp&) const = default;
};

struct ResumeEntry {
    std::string path; // absolute
    double seconds = 0;
    FileStamp stamp;
};

// One stored entry as text, "seconds|size|modified|path"; nullopt for anything
// not written by entryText (text, negatives, values past any real film, no path).
std::optional<ResumeEntry> parseResumeEntry(std::string_view text);
std::string resumeEntryText(const ResumeEntry& entry);

// Whether a file closed at position is worth coming back to: at least 10 s in
// and not within the last 5 % of a known length.
bool worthResuming(double position, std::optional<double> duration);
// Whether it was watched to its end: within the last 5 % of a known length.
bool watchedToEnd(double position, std::optional<double> duration);

// Where files were left, newest first, in a settings section of their own under
// keys "0" to "199". Keys past the last are never read, so a hand-made section
// of any size costs no more than a full one.
class ResumePositions {
  public:
    static constexpr const char* Section = "Resume Positions";
    static constexpr std::size_t Capacity = 200;

    void readFrom(platform::SettingsEdit& edit);
    // Sets only the keys whose text changes; an empty key past the list is
    // left out rather than written empty.
    void writeTo(platform::SettingsEdit& edit) const;

    // Kept for path (it goes on top; the oldest falls off past Capacity).
    void remember(const ResumeEntry& entry);
    // True when path was there.
    bool forget(const std::string& path);

    // Where to offer to resume path: only for the same file version, and only a
    // position inside duration when that is known.
    std::optional<double> offer(const std::string& path, const FileStamp& stamp,
                                std::optional<double> duration = std::nullopt) const;

    const std::vector<ResumeEntry>& entries() const { return entries_; }

  private:
    std::vector<ResumeEntry> entries_;
};

} // namespace media
