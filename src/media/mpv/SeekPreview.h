#pragma once

#include "StreamProtocol.h"

#include <QObject>
#include <QPoint>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QMenu;
class QWidget;

namespace platform {
class SettingsStore;
}

namespace media {

class PlaybackSession;
class PreviewEngine;
class SeekBarPreview;
class SeekPreviewSetting;
class TransportBar;

// The seek-bar preview: follows the pointer over the transport bar's seek
// bar, shows the time there and, for media with a picture, a picture of that
// time drawn by a PreviewEngine of its own. The engine is made at the first
// hover over the opened media and ends when the media changes.
class SeekPreview : public QObject {
    Q_OBJECT
  public:
    // picture: the widget the film is shown in, whose width the preview's size follows.
    SeekPreview(TransportBar& bar, const PlaybackSession& session, QWidget& picture, QWidget* parent);
    ~SeekPreview() override;

    // The opener behind a stream URL of the playing engine, for the preview's own reading.
    void streamAdded(const std::string& url, StreamProtocol::Opener opener);

    bool enabled() const { return enabled_; }
    void setEnabled(bool on);
    // On or off is kept in that store from one run to the next.
    void rememberIn(platform::SettingsStore& store, const std::string& appName,
                    std::function<void(const std::string&)> report);
    // Adds the "Seek Preview" toggle to the picture's right-click menu.
    void addMenuToggle(QMenu& menu);

    SeekBarPreview& window() const { return *window_; }
    // The engine of the media open now, if one has been made.
    PreviewEngine* engine() const { return engine_; }

  signals:
    // A picture reached the preview window; newest: it is the one for where the pointer is now.
    void pictureShown(bool newest);

  private:
    void hovered(double seconds, QPoint pointer, QRect bar);
    void hide();
    void mediaChanged();
    void retireEngine();

    const PlaybackSession& session_;
    QWidget& picture_;
    SeekBarPreview* window_ = nullptr;
    PreviewEngine* engine_ = nullptr;
    std::uint64_t engineGeneration_ = 0;
    std::uint64_t shownRequest_ = 0;
    std::uint64_t lastRequest_ = 0;
    std::uint64_t generation_ = 0;
    std::string streamUrl_;
    StreamProtocol::Opener streamOpener_;
    std::unique_ptr<SeekPreviewSetting> setting_;
    struct {
        double seconds = 0;
        QPoint pointer;
        int barTop = 0;
    } last_;
    bool enabled_ = true;
};

} // namespace media
