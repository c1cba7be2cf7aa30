#pragma once

#include "VolumeMemory.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace media {

// The volume and mute the user asked for: the keys' and the wheel's steps,
// the limits, and the memory from one run to the next. What the engine makes
// of it is its own report, kept beside it.
class VolumeController : public QObject {
    Q_OBJECT
  public:
    // Steps of a key press and of a wheel notch, in percent.
    static constexpr int Step = 5;

    explicit VolumeController(QObject* parent = nullptr);

    // Takes the level remembered there and remembers every change in it.
    void rememberIn(platform::SettingsStore& store, const std::string& appName,
                    std::function<void(const std::string&)> report,
                    int quietMilliseconds = VolumeMemory::QuietMilliseconds);

    VolumeLevel level() const { return level_; }
    void setVolume(int volume);
    void setMuted(bool muted);
    void toggleMute() { setMuted(!level_.muted); }
    void step(int steps) { setVolume(level_.volume + steps * Step); }
    // A wheel's angle delta: whole notches of 120 step the volume, a
    // touchpad's small deltas add up to them.
    void wheel(int angleDelta);

    // What the engine itself reports; empty until it has.
    std::optional<double> reportedVolume() const { return reportedVolume_; }
    std::optional<bool> reportedMuted() const { return reportedMuted_; }
    void volumeReported(double volume) { reportedVolume_ = volume; }
    void muteReported(bool muted) { reportedMuted_ = muted; }

  signals:
    // The level asked for changed (or was read from the memory).
    void levelChanged(media::VolumeLevel level);

  private:
    void changed();

    VolumeLevel level_;
    std::unique_ptr<VolumeMemory> memory_;
    std::optional<double> reportedVolume_;
    std::optional<bool> reportedMuted_;
    int wheelRest_ = 0;
};

} // namespace media
