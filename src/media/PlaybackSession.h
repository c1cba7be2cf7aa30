#pragma once

#include <QObject>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

namespace media {

// What a session asks of the playback engine. Every call returns at once; the
// answers come back as the session's event calls below.
class PlaybackEngine {
  public:
    virtual ~PlaybackEngine() = default;
    // Replaces what plays with url, paused; answered by loadAnswered.
    virtual void load(std::uint64_t generation, const std::string& url) = 0;
    // Answered by pauseAnswered with the same request number.
    virtual void setPause(bool pause, std::uint64_t request) = 0;
    virtual void seek(double seconds, bool exact) = 0;
    virtual void seekBy(double seconds) = 0;
    virtual void frameStep(bool forward) = 0;
    // The picture's size once the first frame is decoded; answered by pictureAnswered.
    virtual void askPicture(std::uint64_t generation) = 0;
    // Where a seek landed; answered by landed.
    virtual void askLanding(std::uint64_t generation) = 0;
    // Events were lost: reads again what the session needs, answered by
    // resynced and by the ordinary state reports.
    virtual void resync(std::uint64_t generation) = 0;
};

// One media file's life in the player, from the open to its end: the open's
// stages, the playback state as the engine reports it, and the transport
// requests. Driven by plain calls, so it runs without the engine or a display.
//
// It cannot get stuck: an open overtaken by a newer one before the engine took
// it is never sent (only the newest waits), nothing depends on an event the
// engine may have dropped (after a lost event the state is read again), and
// the pause toggle acts on the state asked for last.
class PlaybackSession : public QObject {
    Q_OBJECT
  public:
    enum class Stage { Empty, Loading, Loaded, Open, Failed };
    // As the transport bar shows it: Stopped without media, after Stop and at the end.
    enum class Playback { Stopped, Playing, Paused };
    enum class EndReason { Finished, Failed, Playlist, Other };

    explicit PlaybackSession(PlaybackEngine& engine, QObject* parent = nullptr);

    // Hands over the media at url (path as the user gave it); paused until play.
    void open(const std::string& path, const std::string& url);
    // A failure before or without the engine: the media cannot be played.
    void fail(const QString& reason);

    void play();
    void pause();
    void togglePause();
    void stop();
    // To seconds from the start, exactly; only once the media is open.
    void seekTo(double seconds);
    void seekBy(double seconds);
    void toStart();
    void stepFrame(bool forward);

    Stage stage() const { return media_.stage; }
    Playback playback() const;
    const std::string& path() const { return media_.path; }
    const std::string& url() const { return media_.url; }
    std::uint64_t generation() const { return media_.generation; }
    // Empty for sound only, and until the media is open.
    std::optional<QSize> picture() const { return media_.picture; }
    QString failure() const { return media_.failure; }
    double position() const { return position_; }
    std::optional<double> duration() const { return duration_; }
    std::optional<double> framesPerSecond() const { return framesPerSecond_; }
    // mpv's pause as last reported.
    bool paused() const { return paused_; }
    // Loaded or open: seeks and steps make sense.
    bool hasMedia() const { return media_.stage == Stage::Loaded || media_.stage == Stage::Open; }

    // The engine's answers and reports.
    void loadAnswered(std::uint64_t generation, std::optional<std::int64_t> entry, const QString& error);
    void fileStarted(std::int64_t entry);
    void fileLoaded();
    void fileEnded(std::int64_t entry, EndReason reason, const QString& error);
    void seekStarted();
    void playbackRestarted();
    void pictureAnswered(std::uint64_t generation, std::optional<QSize> picture);
    void landed(std::uint64_t generation, double seconds);
    void pauseAnswered(std::uint64_t request);
    // After lost events: whether the engine plays this generation's url, and
    // what it knows of its picture.
    void resynced(std::uint64_t generation, bool current, std::optional<QSize> picture, bool hasVideo);
    void eventsLost();
    void positionReported(double seconds);
    void durationReported(std::optional<double> seconds);
    void framesPerSecondReported(std::optional<double> rate);
    void pauseReported(bool paused);
    void endReported(bool atEnd);
    // A video frame reached the screen.
    void framePresented();

  signals:
    // Other media, or more known of it (opened, its length, a failure).
    void mediaChanged();
    // playback() may have changed.
    void playbackChanged();
    void positionChanged(double seconds);
    // The media just opened is ready: its picture's size is known.
    void opened();
    void firstFrameShown();
    // A seek has landed there.
    void seeked(double seconds);

  private:
    struct Media {
        std::uint64_t generation = 0;
        std::string path;
        std::string url;
        std::int64_t entry = -1; // the engine's playlist entry, once the load is answered
        Stage stage = Stage::Empty;
        bool sizeAsked = false;
        bool frameShown = false;
        std::optional<QSize> picture;
        QString failure;
    };

    void send(std::uint64_t generation, const std::string& url);
    void requestPause(bool pause);
    void finishOpen(std::optional<QSize> picture);
    bool current(std::int64_t entry) const { return entry >= 0 && entry == media_.entry; }

    PlaybackEngine& engine_;
    Media media_;
    // A load the engine has not answered yet, and the newest open waiting behind it.
    std::optional<std::uint64_t> loadInFlight_;
    std::optional<std::pair<std::uint64_t, std::string>> waiting_;
    std::int64_t playingEntry_ = -1;
    double position_ = 0;
    std::optional<double> duration_;
    std::optional<double> framesPerSecond_;
    bool paused_ = true;
    bool atEnd_ = false;
    bool stopped_ = false;
    bool seeking_ = false;
    // Pause requests are numbered; while one is unanswered, the state asked for
    // is the one that counts.
    bool pauseWanted_ = true;
    std::uint64_t pauseAsked_ = 0;
    std::uint64_t pauseAnswered_ = 0;
};

} // namespace media
