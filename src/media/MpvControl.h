#pragma once

#include "media/MediaControl.h"
#include "platform/MediaPaths.h"
#include "platform/SystemMetrics.h"

#include <QWidget>

namespace media {

// The media playback control over libmpv (placeholder until the real one lands).
class MpvControl : public QWidget, public MediaControl {
    Q_OBJECT
public:
    MpvControl(const platform::SystemMetrics& metrics, platform::MediaPaths& paths, QWidget* parent = nullptr);

    void MediaFile(const std::string& path) override { path_ = path; }
    std::string MediaFile() const override { return path_; }
    void StartPlayback() override {}
    void DisplayUnit(std::int32_t) override {}
    std::int32_t DisplayForeColor() const override { return fore_; }
    void DisplayForeColor(std::int32_t color) override { fore_ = color; }
    std::int32_t DisplayBackColor() const override { return back_; }
    void DisplayBackColor(std::int32_t color) override { back_ = color; }
    void MovieSize(std::int32_t size) override;

private:
    const platform::SystemMetrics& metrics_;
    std::string path_;
    std::int32_t fore_ = 0x00ffffff;
    std::int32_t back_ = 0;
};

}  // namespace media
