#pragma once

#include "PlaybackSession.h"
#include "StreamProtocol.h"
#include "Track.h"
#include "VolumeMemory.h"

#include <QObject>
#include <QSize>
#include <QString>

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct mpv_event;
struct mpv_event_property;
struct mpv_handle;

namespace media {

// mpv's hr-seek-demuxer-offset for a file of this format (mpv's file-format):
// how many seconds before an exact seek's target the demuxer is asked to start.
double seekLeadInFor(std::string_view fileFormat);

// The libmpv core: the handle with the player's options, the properties it
// watches, the stream protocol for disc-backed files and the seek lead-in per
// format. Everything it asks of mpv is asynchronous; mpv's events reach the UI
// thread through a queued call and come out as typed signals. No widgets.
class MpvEngine : public QObject, public PlaybackEngine {
    Q_OBJECT
  public:
    explicit MpvEngine(QObject* parent = nullptr);
    // No more wake-ups, then the core; a render context must be gone first.
    ~MpvEngine() override;

    // False when libmpv could not be started: nothing plays, nothing crashes.
    bool started() const { return mpv_ != nullptr; }
    // For a render context; null when not started.
    mpv_handle* handle() const { return mpv_.get(); }
    // mpv's URL for a disc-backed stream of ours.
    std::string addStream(StreamProtocol::Opener opener) { return streams_.add(std::move(opener)); }
    // Why a stream of ours failed, if it did.
    std::optional<std::string> streamFailure(const std::string& url) const { return streams_.failure(url); }

    void load(std::uint64_t generation, const std::string& url) override;
    void setPause(bool pause, std::uint64_t request) override;
    void seek(double seconds, bool exact) override;
    void seekBy(double seconds) override;
    void frameStep(bool forward) override;
    void askPicture(std::uint64_t generation) override;
    void askLanding(std::uint64_t generation) override;
    void resync(std::uint64_t generation) override;

    void setLevel(VolumeLevel level);
    // property is "aid" or "sid"; id 0 turns the track off.
    void chooseTrack(const char* property, std::int64_t id);
    void cycle(std::initializer_list<const char*> words);
    // A message on the picture (mpv's on-screen display) for that long.
    void showText(const QString& text, int milliseconds);
    // Any mpv command, unanswered; with a request number, answered by commandAnswered.
    void run(std::initializer_list<const char*> words);
    void run(std::uint64_t request, std::initializer_list<const char*> words);

    // Frames mpv dropped since the engine was made (per file it counts anew).
    std::int64_t droppedByOutput() const { return dropped_.output; }
    std::int64_t droppedByDecoder() const { return dropped_.decoder; }

  signals:
    void loadAnswered(std::uint64_t generation, std::optional<std::int64_t> entry, const QString& error);
    void fileStarted(std::int64_t entry);
    void fileLoaded();
    void fileEnded(std::int64_t entry, media::PlaybackSession::EndReason reason, const QString& error);
    void seekStarted();
    void playbackRestarted();
    void pictureAnswered(std::uint64_t generation, std::optional<QSize> picture);
    void landed(std::uint64_t generation, double seconds);
    void pauseAnswered(std::uint64_t request);
    void resynced(std::uint64_t generation, bool current, std::optional<QSize> picture, bool hasVideo);
    // mpv's event queue overflowed: some events are gone.
    void eventsLost();

    void positionReported(double seconds);
    void durationReported(std::optional<double> seconds);
    void framesPerSecondReported(std::optional<double> rate);
    void pauseReported(bool paused);
    void endReported(bool atEnd);
    void volumeReported(double volume);
    void muteReported(bool muted);
    void tracksReported(const std::vector<media::Track>& tracks);
    void audioTrackReported(const QString& id);
    void subtitleTrackReported(const QString& id);
    void speedReported(double speed);
    // error is empty when the command succeeded.
    void commandAnswered(std::uint64_t request, const QString& error);

  private:
    struct Destroyer {
        void operator()(mpv_handle* mpv) const;
    };
    // What a resync has heard so far.
    struct Resync {
        std::uint64_t generation = 0;
        int answers = 0;
        bool current = false;
        bool hasVideo = false;
        std::optional<QSize> picture;
    };

    bool start();
    static void wakeup(void* self);
    void drainEvents();
    void handle(const mpv_event& event);
    void reply(const mpv_event& event);
    void property(const mpv_event_property& property);
    void resyncAnswer(std::string_view name, const mpv_event& event);
    void command(std::initializer_list<const char*> words);

    // Declared before the core, so that it outlives it: mpv calls into it until the end.
    StreamProtocol streams_;
    std::unique_ptr<mpv_handle, Destroyer> mpv_;
    std::atomic_bool wakeupPending_{false};
    std::string url_;
    Resync resync_;
    struct {
        std::int64_t output = 0;
        std::int64_t decoder = 0;
        std::int64_t lastOutput = 0;
        std::int64_t lastDecoder = 0;
    } dropped_;
    bool trace_ = false;
};

} // namespace media
