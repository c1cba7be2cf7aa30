#include "PlaybackSession.h"

#include <algorithm>

namespace media {

PlaybackSession::PlaybackSession(PlaybackEngine& engine, QObject* parent) : QObject(parent), engine_(engine) {}

void PlaybackSession::open(const std::string& path, const std::string& url)
{
    const std::uint64_t generation = media_.generation + 1;
    media_ = Media{};
    media_.generation = generation;
    media_.path = path;
    media_.url = url;
    media_.stage = Stage::Loading;
    position_ = 0;
    duration_.reset();
    framesPerSecond_.reset();
    atEnd_ = false;
    stopped_ = false;
    seeking_ = false;
    // Paused before it loads: nothing plays until play. Requests run in order.
    requestPause(true);
    if (loadInFlight_)
        waiting_.emplace(generation, url); // sent when the engine has taken the one before
    else
        send(generation, url);
    emit positionChanged(position_);
    emit mediaChanged();
    emit playbackChanged();
}

void PlaybackSession::send(std::uint64_t generation, const std::string& url)
{
    loadInFlight_ = generation;
    engine_.load(generation, url);
}

void PlaybackSession::fail(const QString& reason)
{
    media_.stage = Stage::Failed;
    media_.failure = media_.path.empty()
                         ? reason
                         : tr("Cannot play \"%1\": %2").arg(QString::fromStdString(media_.path), reason);
    emit mediaChanged();
    emit playbackChanged();
}

PlaybackSession::Playback PlaybackSession::playback() const
{
    if (media_.stage != Stage::Open || stopped_ || atEnd_)
        return Playback::Stopped;
    return paused_ ? Playback::Paused : Playback::Playing;
}

void PlaybackSession::play()
{
    if (media_.stage == Stage::Empty || media_.stage == Stage::Failed)
        return;
    // At the end the last frame stays; play starts again from the beginning.
    if (atEnd_)
        engine_.seek(0, true);
    stopped_ = false;
    requestPause(false);
    emit playbackChanged();
}

void PlaybackSession::pause()
{
    requestPause(true);
}

void PlaybackSession::togglePause()
{
    // Not from the state last reported: presses faster than the engine
    // answers would each undo the one before.
    const bool paused = pauseAsked_ != pauseAnswered_ ? pauseWanted_ : paused_;
    if (paused)
        play();
    else
        pause();
}

void PlaybackSession::stop()
{
    if (media_.stage == Stage::Empty || media_.stage == Stage::Failed)
        return;
    requestPause(true);
    engine_.seek(0, true);
    stopped_ = true;
    emit playbackChanged();
}

void PlaybackSession::seekTo(double seconds)
{
    if (media_.stage == Stage::Open)
        engine_.seek(std::max(0.0, seconds), true);
}

void PlaybackSession::seekBy(double seconds)
{
    if (hasMedia())
        engine_.seekBy(seconds);
}

void PlaybackSession::toStart()
{
    if (hasMedia())
        engine_.seek(0, true);
}

void PlaybackSession::stepFrame(bool forward)
{
    // The engine pauses first when playing, so a step is always from a still picture.
    if (hasMedia())
        engine_.frameStep(forward);
}

void PlaybackSession::requestPause(bool pause)
{
    pauseWanted_ = pause;
    engine_.setPause(pause, ++pauseAsked_);
}

void PlaybackSession::loadAnswered(std::uint64_t generation, std::optional<std::int64_t> entry, const QString& error)
{
    if (loadInFlight_ == generation)
        loadInFlight_.reset();
    if (waiting_) {
        // The answered load was overtaken: its events are another entry's and go unheard.
        auto [next, url] = std::move(*waiting_);
        waiting_.reset();
        send(next, url);
        return;
    }
    if (generation != media_.generation)
        return;
    if (!error.isEmpty())
        fail(error);
    else
        media_.entry = entry.value_or(-1);
}

void PlaybackSession::fileStarted(std::int64_t entry)
{
    playingEntry_ = entry;
}

void PlaybackSession::fileLoaded()
{
    if (current(playingEntry_) && media_.stage == Stage::Loading)
        media_.stage = Stage::Loaded;
}

void PlaybackSession::fileEnded(std::int64_t entry, EndReason reason, const QString& error)
{
    if (entry == playingEntry_)
        playingEntry_ = -1;
    if (!current(entry))
        return;
    if (reason == EndReason::Failed)
        fail(error);
    else if (reason == EndReason::Playlist)
        fail(tr("it is a playlist, not a media file"));
}

void PlaybackSession::seekStarted()
{
    // A seek in the media before, still queued when this one was put, is not this one's.
    if (current(playingEntry_))
        seeking_ = true;
}

void PlaybackSession::playbackRestarted()
{
    // Where a seek landed is asked once, not read from every frame's position.
    if (seeking_) {
        seeking_ = false;
        engine_.askLanding(media_.generation);
    }
    // The first frame is decoded, so the picture's size is final (or there is none).
    if (current(playingEntry_) && media_.stage == Stage::Loaded && !media_.sizeAsked) {
        media_.sizeAsked = true;
        engine_.askPicture(media_.generation);
    }
}

void PlaybackSession::pictureAnswered(std::uint64_t generation, std::optional<QSize> picture)
{
    if (generation == media_.generation && media_.stage == Stage::Loaded)
        finishOpen(picture);
}

void PlaybackSession::landed(std::uint64_t generation, double seconds)
{
    // The position itself stays with the reports: an answer can come after a later change of it.
    if (generation == media_.generation)
        emit seeked(seconds);
}

void PlaybackSession::pauseAnswered(std::uint64_t request)
{
    pauseAnswered_ = std::max(pauseAnswered_, request);
}

void PlaybackSession::eventsLost()
{
    if (media_.stage == Stage::Loading || media_.stage == Stage::Loaded || media_.stage == Stage::Open)
        engine_.resync(media_.generation);
}

void PlaybackSession::resynced(std::uint64_t generation, bool current, std::optional<QSize> picture, bool hasVideo)
{
    if (generation != media_.generation || !current || media_.entry < 0)
        return;
    // The file-started and file-loaded events may be among those lost.
    playingEntry_ = media_.entry;
    if (media_.stage == Stage::Loading)
        media_.stage = Stage::Loaded;
    if (media_.stage != Stage::Loaded)
        return;
    if (picture || !hasVideo) {
        media_.sizeAsked = true;
        finishOpen(picture);
    } else {
        // The first frame is still to come: its restart asks for the size.
        media_.sizeAsked = false;
    }
}

void PlaybackSession::positionReported(double seconds)
{
    position_ = seconds;
    emit positionChanged(position_);
}

void PlaybackSession::durationReported(std::optional<double> seconds)
{
    duration_ = seconds;
    emit mediaChanged();
}

void PlaybackSession::framesPerSecondReported(std::optional<double> rate)
{
    framesPerSecond_ = rate;
    emit positionChanged(position_);
}

void PlaybackSession::pauseReported(bool paused)
{
    paused_ = paused;
    // A change of the engine's own (a frame step, the end) is what a toggle starts from.
    if (pauseAsked_ == pauseAnswered_)
        pauseWanted_ = paused;
    emit playbackChanged();
}

void PlaybackSession::endReported(bool atEnd)
{
    atEnd_ = atEnd;
    emit playbackChanged();
}

void PlaybackSession::framePresented()
{
    if (hasMedia() && !media_.frameShown) {
        media_.frameShown = true;
        emit firstFrameShown();
    }
}

void PlaybackSession::finishOpen(std::optional<QSize> picture)
{
    media_.stage = Stage::Open;
    media_.picture = picture;
    emit mediaChanged();
    emit playbackChanged();
    // Last of all: a handler may open another file or run a nested event loop.
    emit opened();
}

} // namespace media
