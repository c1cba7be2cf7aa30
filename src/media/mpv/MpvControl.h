#pragma once

#include "MediaControl.h"
#include "MediaPaths.h"
#include "PlaybackSession.h"
#include "SurfaceChoice.h"
#include "SystemMetrics.h"
#include "Track.h"
#include "VolumeController.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QMenu;
class QVBoxLayout;

namespace forms {
enum class PlayerAction;
}

namespace platform {
class SettingsStore;
}

namespace media {

class FullScreenPanels;
class MpvEngine;
class MpvWatching;
class PositionDisplay;
class SeekPreview;
class TransportBar;
class VideoSurface;
class VolumeButtons;

// The media playback control: the picture, the position display and the
// transport bar below it, over libmpv. It puts together the engine (MpvEngine),
// the media's session (PlaybackSession), the volume (VolumeController), the
// video surface and the widgets, and implements the media contract.
class MpvControl : public QWidget, public MediaControl {
    Q_OBJECT
  public:
    using Playback = PlaybackSession::Playback;
    // How long things wait; tests make them short.
    struct Timings {
        int pointerIdleMilliseconds = 2000;
        int volumeQuietMilliseconds = 500;
    };

    MpvControl(const platform::SystemMetrics& metrics, platform::MediaPaths& paths, QWidget* parent = nullptr)
        : MpvControl(metrics, paths, Timings(), parent)
    {
    }
    MpvControl(const platform::SystemMetrics& metrics, platform::MediaPaths& paths, Timings timings,
               QWidget* parent = nullptr);
    ~MpvControl() override;

    void MediaFile(const std::string& path) override;
    std::string MediaFile() const override;
    void StartPlayback() override;
    void DisplayUnit(std::int32_t unit) override;
    std::int32_t DisplayForeColor() const override { return foreColor_; }
    void DisplayForeColor(std::int32_t color) override;
    std::int32_t DisplayBackColor() const override { return backColor_; }
    void DisplayBackColor(std::int32_t color) override;
    void MovieSize(std::int32_t size) override;
    bool AddSubtitle(const std::string& path) override;

    // What the position display shows now.
    QString displayText() const;
    // The playback position in seconds, as mpv last reported it.
    double position() const { return session_->position(); }
    bool paused() const { return session_->paused(); }
    // The height of the position display and the transport bar together, in logical pixels.
    int panelsHeight() const;
    SurfaceKind surfaceKind() const { return surfaceKind_; }
    // One video frame on or back from where it is, and pauses there.
    void stepFrame(bool forward) { session_->stepFrame(forward); }

    // How many frames reached the window, and how many mpv dropped on the way
    // (late at the output, or skipped by the decoder), since the control was made.
    struct FrameCounts {
        std::uint64_t presented = 0;
        std::int64_t droppedByOutput = 0;
        std::int64_t droppedByDecoder = 0;
    };
    FrameCounts frameCounts() const;

    Playback playback() const { return session_->playback(); }
    // Open and with a picture (not sound only).
    bool showsPicture() const { return mediaReady() && session_->picture().has_value(); }
    bool mediaReady() const { return session_->stage() == PlaybackSession::Stage::Open; }
    std::optional<double> duration() const { return session_->duration(); }
    // The local file mpv plays, "" for a stream of ours (a disc track) or no media.
    std::string localFile() const;
    // Changes with every MediaFile.
    std::uint64_t mediaGeneration() const { return session_->generation(); }

    // Volume and mute are kept in that store from one run to the next; report
    // tells, once, that the store failed.
    void rememberVolumeIn(platform::SettingsStore& store, const std::string& appName,
                          std::function<void(const std::string&)> report);
    // Where films were left and the right-click menu's toggles are kept in that store.
    void rememberPlacesIn(platform::SettingsStore& store, const std::string& appName,
                          std::function<void(const std::string&)> report);
    // Messages on the picture, resume, files of the folder, speed, sync, screenshots.
    MpvWatching& watching() { return *watching_; }
    // Opens the file step places on in the open file's folder (fileRequested).
    void stepFile(int step);
    // The volume asked for, 0 to 100 %, and mute.
    int volume() const { return volume_->level().volume; }
    bool muted() const { return volume_->level().muted; }
    void setVolume(int volume) { volume_->setVolume(volume); }
    void setMuted(bool muted) { volume_->setMuted(muted); }
    // What mpv itself reports; empty until it has.
    std::optional<double> engineVolume() const { return volume_->reportedVolume(); }
    std::optional<bool> engineMuted() const { return volume_->reportedMuted(); }
    // mpv's current audio and subtitle track ids, "no" for none.
    QString engineAudio() const { return engineAudio_; }
    QString engineSubtitle() const { return engineSubtitle_; }
    const std::vector<Track>& tracks() const { return tracks_; }

    // Does what a playback key does (Space, arrows, '.', 'm', F11, ...); false
    // for keys that are not playback keys. The window calls it for keys that
    // reach it while the control does not have the focus.
    bool playerKey(const QKeyEvent& event);
    // The picture's right-click menu: audio tracks, subtitle tracks, Full Screen.
    std::unique_ptr<QMenu> contextMenu();

    // The window tells whether it fills the screen: the picture then takes it
    // all, and the panels come over it at the bottom while the pointer is there.
    void setFullScreen(bool on);
    bool fullScreen() const;
    // The picture of the time under the pointer over the seek bar.
    SeekPreview& seekPreview() const { return *seekPreview_; }

  public slots:
    // The transport bar's actions.
    void play() { session_->play(); }
    void pause() { session_->pause(); }
    void stop();
    void seekTo(double seconds) { session_->seekTo(seconds); }

  signals:
    // The first picture of the media just opened is on screen.
    void firstFrameShown();
    // playback() may have changed.
    void playbackChanged();
    // Other media, or more known of it (opened, its length, a failure).
    void mediaChanged();
    // The position jumped: a seek has landed.
    void seeked(double seconds);
    void volumeChanged();
    // The user asks for the window to leave full screen.
    void fullScreenRequested(bool on);
    // The user asks for full screen to be turned over, from the state last asked for.
    void fullScreenToggled();
    // A new video frame has been drawn in the window.
    void framePresented();
    // The user asks for that file to be opened as File, Open opens one.
    void fileRequested(const std::string& path);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void createSurface();
    void buildPanels(QVBoxLayout& layout);
    void connectEngine();
    void showPosition();
    void act(forms::PlayerAction action);
    bool pictureEvent(QEvent* event);

    const platform::SystemMetrics& metrics_;
    platform::MediaPaths& paths_;
    // The engine outlives the surface, whose render context it serves.
    std::unique_ptr<MpvEngine> engine_;
    PlaybackSession* session_ = nullptr;
    VolumeController* volume_ = nullptr;
    MpvWatching* watching_ = nullptr;

    VideoSurface* surface_ = nullptr;
    SurfaceKind surfaceKind_ = SurfaceKind::Software;
    PositionDisplay* display_ = nullptr;
    TransportBar* bar_ = nullptr;
    QWidget* panels_ = nullptr;
    VolumeButtons* volumeButtons_ = nullptr;
    FullScreenPanels* fullScreenPanels_ = nullptr;
    SeekPreview* seekPreview_ = nullptr;
    // The widget that gets the mouse over the picture.
    QWidget* pictureInput_ = nullptr;

    QString engineAudio_;
    QString engineSubtitle_;
    std::vector<Track> tracks_;
    std::uint64_t presented_ = 0;
    Timings timings_;

    std::int32_t unit_ = 0;
    // White figures on black, like a clock.
    std::int32_t foreColor_ = 0x00FFFFFF;
    std::int32_t backColor_ = 0x00000000;
};

} // namespace media
