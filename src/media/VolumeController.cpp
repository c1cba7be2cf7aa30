#include "VolumeController.h"

#include <algorithm>

namespace media {

VolumeController::VolumeController(QObject* parent) : QObject(parent) {}

void VolumeController::rememberIn(platform::SettingsStore& store, const std::string& appName,
                                  std::function<void(const std::string&)> report, int quietMilliseconds)
{
    memory_ = std::make_unique<VolumeMemory>(store, appName, std::move(report), quietMilliseconds);
    level_ = memory_->load();
    emit levelChanged(level_);
}

void VolumeController::setVolume(int volume)
{
    volume = std::clamp(volume, 0, 100);
    if (volume == level_.volume)
        return;
    level_.volume = volume;
    changed();
}

void VolumeController::setMuted(bool muted)
{
    if (muted == level_.muted)
        return;
    level_.muted = muted;
    changed();
}

void VolumeController::wheel(int angleDelta)
{
    wheelRest_ += angleDelta;
    const int notches = wheelRest_ / 120;
    wheelRest_ -= notches * 120;
    if (notches != 0)
        step(notches);
}

void VolumeController::changed()
{
    if (memory_)
        memory_->remember(level_);
    emit levelChanged(level_);
}

} // namespace media
