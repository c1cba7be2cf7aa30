#pragma once

#include "MediaControl.h"
#include "MediaPaths.h"
#include "StreamProtocol.h"
#include "SurfaceChoice.h"
#include "SystemMetrics.h"

#include <QSize>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct mpv_event;
struct mpv_handle;

namespace media {

class PositionDisplay;
class TransportBar;
class VideoSurface;

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

  signals:
    // The first picture of the media just opened is on screen.
    void firstFrameShown();
    // A new video frame has been drawn in the window.
    void framePresented();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

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
    void play();
    void pause();
    void stop();
    void seek(double seconds, bool exact);
    void command(std::initializer_list<const char*> words);
    void setPause(bool pause);

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

    std::uint64_t generation_ = 0;
    Media media_;
    std::int64_t playingEntry_ = -1;
    double position_ = 0;
    std::optional<double> duration_;
    std::optional<double> framesPerSecond_;
    bool paused_ = true;
    bool atEnd_ = false;
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
