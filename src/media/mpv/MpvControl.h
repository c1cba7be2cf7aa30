#pragma once

#include "MediaControl.h"
#include "MediaPaths.h"
#include "StreamProtocol.h"
#include "SurfaceChoice.h"
#include "SystemMetrics.h"
#include "Tracks.h"
#include "VolumeMemory.h"

#include <QSize>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QMenu;
struct mpv_event;
struct mpv_handle;

namespace platform {
class SettingsStore;
}

namespace media {

enum class PlayerAction;
class PositionDisplay;
class TransportBar;
class VideoSurface;
class VolumeButtons;

// mpv's hr-seek-demuxer-offset for a file of this format (mpv's file-format):
// how many seconds before an exact seek's target the demuxer is asked to start.
double seekLeadInFor(std::string_view fileFormat);

// The media playback control: a widget over libmpv with the picture, the
// position display and the transport bar below it. mpv runs on its own
// threads; its events reach the UI thread through a queued call and nothing
// here waits for it.
class MpvControl : public QWidget, public MediaControl {
    Q_OBJECT
  public:
    MpvControl(const platform::SystemMetrics& metrics, platform::MediaPaths& paths, QWidget* parent = nullptr);
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

    // What the position display shows now.
    QString displayText() const;
    // The playback position in seconds, as mpv last reported it.
    double position() const { return position_; }
    bool paused() const { return paused_; }
    // The height of the position display and the transport bar together, in logical pixels.
    int panelsHeight() const;
    SurfaceKind surfaceKind() const { return surfaceKind_; }
    // One video frame on or back from where it is, and pauses there.
    void stepFrame(bool forward);

    // How many frames reached the window, and how many mpv dropped on the way
    // (late at the output, or skipped by the decoder), since the control was made.
    struct FrameCounts {
        std::uint64_t presented = 0;
        std::int64_t droppedByOutput = 0;
        std::int64_t droppedByDecoder = 0;
    };
    FrameCounts frameCounts() const { return frameCounts_; }

    // Playback as the transport bar shows it: Stopped without media, after Stop and at the end.
    enum class Playback { Stopped, Playing, Paused };
    Playback playback() const;
    // Open and with a picture (not sound only).
    bool showsPicture() const { return media_.stage == Stage::Open && media_.picture.has_value(); }
    bool mediaReady() const { return media_.stage == Stage::Open; }
    std::optional<double> duration() const { return duration_; }
    // The local file mpv plays, "" for a stream of ours (a disc track) or no media.
    std::string localFile() const;
    // Changes with every MediaFile.
    std::uint64_t mediaGeneration() const { return media_.generation; }

    // Volume and mute are kept in that store from one run to the next; report
    // tells, once, that the store failed.
    void rememberVolumeIn(platform::SettingsStore& store, const std::string& appName,
                          std::function<void(const std::string&)> report);
    // The volume asked for, 0 to 100 %, and mute.
    int volume() const { return level_.volume; }
    bool muted() const { return level_.muted; }
    void setVolume(int volume);
    void setMuted(bool muted);
    // What mpv itself reports; empty until it has.
    std::optional<double> engineVolume() const { return engineVolume_; }
    std::optional<bool> engineMuted() const { return engineMuted_; }
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
    bool fullScreen() const { return fullScreen_; }

  public slots:
    // The transport bar's actions.
    void play();
    void pause();
    void stop();
    void seekTo(double seconds);

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
    // The user asks for the window to fill the screen, or to leave it.
    void fullScreenRequested(bool on);
    // A new video frame has been drawn in the window.
    void framePresented();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    enum class Stage { Empty, Loading, Loaded, Open, Failed };

    // What is known of the media handed over last.
    struct Media {
        std::uint64_t generation = 0;
        std::string path;        // as it was put
        std::string url;         // as mpv knows it
        std::int64_t entry = -1; // mpv's playlist entry, once loadfile has answered
        Stage stage = Stage::Empty;
        bool sizeAsked = false;
        bool frameShown = false;
        std::optional<QSize> picture; // display size in video pixels; empty for sound only
        QString failure;
    };

    struct MpvDestroyer {
        void operator()(mpv_handle* mpv) const;
    };

    bool startMpv();
    void createSurface();
    static void wakeup(void* self);
    void drainEvents();
    void handle(const mpv_event& event);
    void fail(const QString& reason);
    void finishOpen(std::optional<QSize> picture);
    void showPosition();
    void seek(double seconds, bool exact);
    void command(std::initializer_list<const char*> words);
    void setPause(bool pause);
    void act(PlayerAction action);
    void applyLevel();
    void chooseTrack(const char* property, std::int64_t id);
    bool pictureEvent(QEvent* event);
    void pointerMoved(QPoint inControl);
    void placePanels();
    void showPanels(bool shown);
    void hidePointer(bool hidden);

    const platform::SystemMetrics& metrics_;
    platform::MediaPaths& paths_;
    // Declared before the core, so that it outlives it: mpv calls into it until the end.
    StreamProtocol streams_;
    std::unique_ptr<mpv_handle, MpvDestroyer> mpv_;
    std::atomic_bool wakeupPending_{false};

    VideoSurface* surface_ = nullptr;
    SurfaceKind surfaceKind_ = SurfaceKind::Software;
    PositionDisplay* display_ = nullptr;
    TransportBar* bar_ = nullptr;
    QWidget* panels_ = nullptr;
    VolumeButtons* volumeButtons_ = nullptr;
    // The widget that gets the mouse over the picture.
    QWidget* pictureInput_ = nullptr;

    std::uint64_t generation_ = 0;
    Media media_;
    std::int64_t playingEntry_ = -1;
    double position_ = 0;
    std::optional<double> duration_;
    std::optional<double> framesPerSecond_;
    bool paused_ = true;
    bool atEnd_ = false;
    bool stopped_ = false;
    // A seek was started; where it lands is announced.
    bool seeking_ = false;

    VolumeLevel level_;
    std::unique_ptr<VolumeMemory> memory_;
    std::optional<double> engineVolume_;
    std::optional<bool> engineMuted_;
    QString engineAudio_;
    QString engineSubtitle_;
    std::vector<Track> tracks_;
    int wheelRest_ = 0;
    bool trace_ = false;

    bool fullScreen_ = false;
    QTimer pointerIdle_;
    FrameCounts frameCounts_;
    struct {
        std::int64_t output = 0;
        std::int64_t decoder = 0;
    } lastDrops_;

    std::int32_t unit_ = 0;
    // White figures on black, like a clock.
    std::int32_t foreColor_ = 0x00FFFFFF;
    std::int32_t backColor_ = 0x00000000;
};

} // namespace media
