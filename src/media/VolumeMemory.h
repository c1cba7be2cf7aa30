#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>
#include <string>

namespace platform {
class SettingsStore;
}

namespace media {

struct VolumeLevel {
    int volume = 100; // percent, 0 to 100
    bool muted = false;
    bool operator==(const VolumeLevel&) const = default;
};

// Keeps the volume and mute from one run to the next in a settings section of
// their own. A burst of changes (a wheel spin) is written once, when it is over.
// A store that fails leaves the volume working; the failure is told once.
class VolumeMemory : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* Section = "Volume";
    static constexpr int QuietMilliseconds = 500;

    // quietMilliseconds: how long a burst of changes may pause before it is written.
    VolumeMemory(platform::SettingsStore& store, std::string appName, std::function<void(const std::string&)> report,
                 int quietMilliseconds = QuietMilliseconds, QObject* parent = nullptr);
    // Writes what is still waiting.
    ~VolumeMemory() override;

    // What was remembered; the defaults when nothing was or it cannot be read.
    VolumeLevel load();
    // Written once no other change has come for QuietMilliseconds.
    void remember(VolumeLevel level);
    void flush();

  private:
    void failed(const std::exception& error);

    platform::SettingsStore& store_;
    std::string appName_;
    std::function<void(const std::string&)> report_;
    QTimer quiet_;
    // What the store holds, as far as this run knows; absent keys count as the defaults.
    VolumeLevel saved_;
    std::optional<VolumeLevel> pending_;
    bool reported_ = false;
};

} // namespace media
