#include "MpvEngine.h"

#include "MpvNode.h"

#include <QByteArray>

#include <mpv/client.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace media {

namespace {

// Asynchronous replies carry the generation of the media (or the number of the
// request) they were asked for, so that an answer about a file already replaced
// is recognised and dropped.
enum class Reply : std::uint64_t { Ignored = 0, Load, Picture, SeekLanded, Pause, Resync, Reread, Request };

std::uint64_t tag(std::uint64_t number, Reply reply)
{
    return number << 4 | static_cast<std::uint64_t>(reply);
}

Reply replyOf(std::uint64_t tag)
{
    return static_cast<Reply>(tag & 0xf);
}

std::uint64_t numberOf(std::uint64_t tag)
{
    return tag >> 4;
}

// What the session follows, read again after events were lost.
constexpr const char* Reread[] = {"pause", "eof-reached", "time-pos", "duration"};

} // namespace

double seekLeadInFor(std::string_view fileFormat)
{
    // MP4/QuickTime and Matroska demuxers seek by their index to the keyframe
    // before the asked frame: starting a second earlier only adds decoding, a
    // whole group of pictures more whenever the frame is just after a keyframe.
    constexpr std::string_view indexed[] = {"mov,", "mp4", "mkv", "matroska"};
    for (std::string_view prefix : indexed)
        if (fileFormat.starts_with(prefix))
            return 0;
    return 1;
}

void MpvEngine::Destroyer::operator()(mpv_handle* mpv) const
{
    mpv_terminate_destroy(mpv);
}

MpvEngine::MpvEngine(QObject* parent) : QObject(parent)
{
    trace_ = std::getenv("ZELVO_TRACE_ENGINE") != nullptr;
    if (start())
        mpv_set_wakeup_callback(mpv_.get(), &MpvEngine::wakeup, this);
}

MpvEngine::~MpvEngine()
{
    if (mpv_)
        mpv_set_wakeup_callback(mpv_.get(), nullptr, nullptr);
    mpv_.reset();
}

bool MpvEngine::start()
{
    // mpv refuses to start under a locale that writes numbers with a decimal comma.
    std::setlocale(LC_NUMERIC, "C");
    mpv_.reset(mpv_create());
    if (!mpv_)
        return false;
    // The same player on every machine: nothing of the user's mpv set-up, no
    // scripts, no on-screen controller, no key bindings of mpv's own.
    constexpr std::pair<const char*, const char*> options[] = {
        {"config", "no"},
        {"load-scripts", "no"},
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
        {"ytdl", "no"},
        {"osc", "no"},
        {"input-default-bindings", "no"},
        {"input-builtin-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"terminal", "no"},
        {"vo", "libmpv"},
        // mpv's on-screen display carries only the messages the control asks
        // for (what a key did); it draws nothing until one is shown. The size
        // follows the window, so a quarter-screen window still reads it.
        {"osd-level", "1"},
        {"osd-bar", "yes"},
        {"osd-duration", "1000"},
        {"osd-scale-by-window", "yes"},
        {"osd-font-size", "46"},
        {"osd-border-size", "2"},
        {"osd-margin-x", "20"},
        {"osd-margin-y", "16"},
        // A machine without a sound device still plays the picture.
        {"audio-fallback-to-null", "yes"},
        // A render never waits for a frame's display time.
        {"video-timing-offset", "0"},
        // The last frame stays on screen at the end.
        {"keep-open", "yes"},
        {"hwdec", "auto-safe"},
        // MPEG program streams (Video CD tracks among them) land a group of pictures
        // late when seeking back; asking the demuxer for a point a second earlier
        // lets the exact seek reach the frame asked for. Lifted per file for
        // containers that have an index (see seekLeadInFor).
        {"hr-seek-demuxer-offset", "1"},
        {"pause", "yes"},
        {"audio-client-name", "zelvo"},
    };
    for (const auto& [name, value] : options)
        mpv_set_option_string(mpv_.get(), name, value);
    mpv_request_log_messages(mpv_.get(), "warn");
    if (mpv_initialize(mpv_.get()) < 0) {
        mpv_.reset();
        return false;
    }
    streams_.registerWith(mpv_.get());
    constexpr std::pair<const char*, mpv_format> observed[] = {
        {"time-pos", MPV_FORMAT_DOUBLE},
        {"duration", MPV_FORMAT_DOUBLE},
        {"container-fps", MPV_FORMAT_DOUBLE},
        {"pause", MPV_FORMAT_FLAG},
        {"eof-reached", MPV_FORMAT_FLAG},
        {"volume", MPV_FORMAT_DOUBLE},
        {"mute", MPV_FORMAT_FLAG},
        {"track-list", MPV_FORMAT_NODE},
        {"aid", MPV_FORMAT_STRING},
        {"sid", MPV_FORMAT_STRING},
        {"file-format", MPV_FORMAT_STRING},
        {"frame-drop-count", MPV_FORMAT_INT64},
        {"decoder-frame-drop-count", MPV_FORMAT_INT64},
        {"speed", MPV_FORMAT_DOUBLE},
    };
    for (const auto& [name, format] : observed)
        mpv_observe_property(mpv_.get(), 0, name, format);
    return true;
}

void MpvEngine::load(std::uint64_t generation, const std::string& url)
{
    if (!mpv_)
        return;
    url_ = url;
    const char* words[] = {"loadfile", url.c_str(), "replace", nullptr};
    mpv_command_async(mpv_.get(), tag(generation, Reply::Load), words);
}

void MpvEngine::setPause(bool pause, std::uint64_t request)
{
    if (!mpv_)
        return;
    int flag = pause ? 1 : 0;
    mpv_set_property_async(mpv_.get(), tag(request, Reply::Pause), "pause", MPV_FORMAT_FLAG, &flag);
}

void MpvEngine::seek(double seconds, bool exact)
{
    const QByteArray to = QByteArray::number(seconds, 'f', 3);
    command({"seek", to.constData(), exact ? "absolute+exact" : "absolute+keyframes"});
}

void MpvEngine::seekBy(double seconds)
{
    const QByteArray by = QByteArray::number(seconds, 'f', 3);
    // A key's seek: mpv shows the position, the length and its bar.
    command({"osd-msg-bar", "seek", by.constData(), "relative+exact"});
}

void MpvEngine::frameStep(bool forward)
{
    command({forward ? "frame-step" : "frame-back-step"});
}

void MpvEngine::askPicture(std::uint64_t generation)
{
    if (mpv_)
        mpv_get_property_async(mpv_.get(), tag(generation, Reply::Picture), "video-out-params", MPV_FORMAT_NODE);
}

void MpvEngine::askLanding(std::uint64_t generation)
{
    if (mpv_)
        mpv_get_property_async(mpv_.get(), tag(generation, Reply::SeekLanded), "time-pos", MPV_FORMAT_DOUBLE);
}

void MpvEngine::resync(std::uint64_t generation)
{
    if (!mpv_)
        return;
    resync_ = Resync{};
    resync_.generation = generation;
    // Answered in order; the last of the three completes the picture.
    mpv_get_property_async(mpv_.get(), tag(generation, Reply::Resync), "path", MPV_FORMAT_STRING);
    mpv_get_property_async(mpv_.get(), tag(generation, Reply::Resync), "vid", MPV_FORMAT_STRING);
    mpv_get_property_async(mpv_.get(), tag(generation, Reply::Resync), "video-out-params", MPV_FORMAT_NODE);
    for (const char* name : Reread)
        mpv_get_property_async(mpv_.get(), tag(generation, Reply::Reread), name,
                               std::string_view(name) == "pause" || std::string_view(name) == "eof-reached"
                                   ? MPV_FORMAT_FLAG
                                   : MPV_FORMAT_DOUBLE);
}

void MpvEngine::setLevel(VolumeLevel level)
{
    if (!mpv_)
        return;
    double volume = level.volume;
    int mute = level.muted ? 1 : 0;
    mpv_set_property_async(mpv_.get(), 0, "volume", MPV_FORMAT_DOUBLE, &volume);
    mpv_set_property_async(mpv_.get(), 0, "mute", MPV_FORMAT_FLAG, &mute);
}

void MpvEngine::chooseTrack(const char* property, std::int64_t id)
{
    if (!mpv_)
        return;
    if (id > 0) {
        mpv_set_property_async(mpv_.get(), 0, property, MPV_FORMAT_INT64, &id);
    } else {
        const char* off = "no";
        mpv_set_property_async(mpv_.get(), 0, property, MPV_FORMAT_STRING, &off);
    }
}

void MpvEngine::cycle(std::initializer_list<const char*> words)
{
    command(words);
}

void MpvEngine::showText(const QString& text, int milliseconds)
{
    const QByteArray utf8 = text.toUtf8();
    const QByteArray duration = QByteArray::number(milliseconds);
    command({"show-text", utf8.constData(), duration.constData()});
}

void MpvEngine::run(std::initializer_list<const char*> words)
{
    command(words);
}

void MpvEngine::run(std::uint64_t request, std::initializer_list<const char*> words)
{
    if (!mpv_)
        return;
    std::vector<const char*> list(words);
    list.push_back(nullptr);
    mpv_command_async(mpv_.get(), tag(request, Reply::Request), list.data());
}

void MpvEngine::command(std::initializer_list<const char*> words)
{
    if (!mpv_)
        return;
    std::vector<const char*> list(words);
    list.push_back(nullptr);
    mpv_command_async(mpv_.get(), 0, list.data());
}

void MpvEngine::wakeup(void* self)
{
    // On one of mpv's threads: only hand the work over to the UI thread.
    auto* engine = static_cast<MpvEngine*>(self);
    if (!engine->wakeupPending_.exchange(true))
        QMetaObject::invokeMethod(engine, &MpvEngine::drainEvents, Qt::QueuedConnection);
}

void MpvEngine::drainEvents()
{
    wakeupPending_ = false;
    while (mpv_) {
        const mpv_event* event = mpv_wait_event(mpv_.get(), 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        // The event is valid only until the next wait, which a handler may reach
        // in a nested event loop: it is handled first and not touched afterwards.
        handle(*event);
    }
}

void MpvEngine::handle(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_LOG_MESSAGE: {
        const auto& message = *static_cast<const mpv_event_log_message*>(event.data);
        std::fprintf(stderr, "mpv: [%s] %s", message.prefix, message.text);
        break;
    }
    case MPV_EVENT_QUEUE_OVERFLOW:
        if (trace_)
            std::fprintf(stderr, "engine: events lost\n");
        emit eventsLost();
        break;
    case MPV_EVENT_COMMAND_REPLY:
    case MPV_EVENT_GET_PROPERTY_REPLY:
    case MPV_EVENT_SET_PROPERTY_REPLY:
        reply(event);
        break;
    case MPV_EVENT_START_FILE:
        emit fileStarted(static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id);
        break;
    case MPV_EVENT_FILE_LOADED:
        if (trace_)
            std::fprintf(stderr, "engine: loaded\n");
        emit fileLoaded();
        break;
    case MPV_EVENT_SEEK:
        emit seekStarted();
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        emit playbackRestarted();
        break;
    case MPV_EVENT_END_FILE: {
        const auto& end = *static_cast<const mpv_event_end_file*>(event.data);
        using Reason = PlaybackSession::EndReason;
        Reason reason = Reason::Other;
        QString error;
        if (end.reason == MPV_END_FILE_REASON_EOF) {
            reason = Reason::Finished;
        } else if (end.reason == MPV_END_FILE_REASON_ERROR) {
            reason = Reason::Failed;
            const std::optional<std::string> failure = streams_.failure(url_);
            error = failure ? QString::fromStdString(*failure) : QString::fromUtf8(mpv_error_string(end.error));
        } else if (end.reason == MPV_END_FILE_REASON_REDIRECT) {
            reason = Reason::Playlist;
        }
        emit fileEnded(end.playlist_entry_id, reason, error);
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE:
        property(*static_cast<const mpv_event_property*>(event.data));
        break;
    default:
        break;
    }
    if (trace_)
        std::fflush(stderr);
}

void MpvEngine::reply(const mpv_event& event)
{
    const std::uint64_t number = numberOf(event.reply_userdata);
    const auto* answer = static_cast<const mpv_event_property*>(event.data);
    switch (replyOf(event.reply_userdata)) {
    case Reply::Load:
        if (event.error < 0) {
            emit loadAnswered(number, std::nullopt, QString::fromUtf8(mpv_error_string(event.error)));
        } else {
            const auto& result = static_cast<const mpv_event_command*>(event.data)->result;
            emit loadAnswered(number, integerMember(result, "playlist_entry_id"), QString());
        }
        break;
    case Reply::Pause:
        emit pauseAnswered(number);
        break;
    case Reply::SeekLanded:
        if (event.error >= 0 && answer->format == MPV_FORMAT_DOUBLE)
            emit landed(number, *static_cast<const double*>(answer->data));
        break;
    case Reply::Picture: {
        std::optional<QSize> picture;
        if (event.error >= 0 && answer->format == MPV_FORMAT_NODE)
            picture = pictureOf(*static_cast<const mpv_node*>(answer->data));
        emit pictureAnswered(number, picture);
        break;
    }
    case Reply::Resync:
        if (number == resync_.generation)
            resyncAnswer(answer->name, event);
        break;
    case Reply::Reread:
        if (event.error >= 0)
            property(*answer);
        break;
    case Reply::Request:
        emit commandAnswered(number, event.error >= 0 ? QString() : QString::fromUtf8(mpv_error_string(event.error)));
        break;
    case Reply::Ignored:
        break;
    }
}

void MpvEngine::resyncAnswer(std::string_view name, const mpv_event& event)
{
    const auto& answer = *static_cast<const mpv_event_property*>(event.data);
    const bool ok = event.error >= 0;
    const char* text = ok && answer.format == MPV_FORMAT_STRING ? *static_cast<const char* const*>(answer.data) : nullptr;
    if (name == "path") {
        resync_.current = text && url_ == text;
    } else if (name == "vid") {
        resync_.hasVideo = text && std::string_view(text) != "no";
    } else if (name == "video-out-params" && ok && answer.format == MPV_FORMAT_NODE) {
        resync_.picture = pictureOf(*static_cast<const mpv_node*>(answer.data));
    }
    if (++resync_.answers == 3)
        emit resynced(resync_.generation, resync_.current, resync_.picture, resync_.hasVideo);
}

void MpvEngine::property(const mpv_event_property& property)
{
    const std::string_view name = property.name;
    const auto number = [&]() -> std::optional<double> {
        if (property.format == MPV_FORMAT_DOUBLE)
            return *static_cast<const double*>(property.data);
        return std::nullopt;
    };
    const bool flag = property.format == MPV_FORMAT_FLAG && *static_cast<const int*>(property.data);
    const char* text =
        property.format == MPV_FORMAT_STRING ? *static_cast<const char* const*>(property.data) : nullptr;
    if (name == "time-pos") {
        emit positionReported(number().value_or(0));
    } else if (name == "duration") {
        emit durationReported(number());
    } else if (name == "container-fps") {
        emit framesPerSecondReported(number());
    } else if (name == "pause") {
        if (trace_)
            std::fprintf(stderr, "engine: pause %s\n", flag ? "yes" : "no");
        emit pauseReported(flag);
    } else if (name == "eof-reached") {
        emit endReported(flag);
    } else if (name == "volume") {
        if (const auto volume = number()) {
            if (trace_)
                std::fprintf(stderr, "engine: volume %g\n", *volume);
            emit volumeReported(*volume);
        }
    } else if (name == "mute") {
        if (trace_)
            std::fprintf(stderr, "engine: mute %s\n", flag ? "yes" : "no");
        emit muteReported(flag);
    } else if (name == "track-list") {
        emit tracksReported(property.format == MPV_FORMAT_NODE ? tracksFrom(*static_cast<const mpv_node*>(property.data))
                                                               : std::vector<Track>{});
    } else if (name == "aid" || name == "sid") {
        const QString id = text ? QString::fromUtf8(text) : QStringLiteral("no");
        if (trace_)
            std::fprintf(stderr, "engine: %s %s\n", property.name, qPrintable(id));
        if (name == "aid")
            emit audioTrackReported(id);
        else
            emit subtitleTrackReported(id);
    } else if (name == "file-format") {
        // Known before the first picture, so before any seek the user can ask for.
        double leadIn = seekLeadInFor(text ? text : "");
        mpv_set_property_async(mpv_.get(), 0, "hr-seek-demuxer-offset", MPV_FORMAT_DOUBLE, &leadIn);
    } else if (name == "speed") {
        if (const auto speed = number())
            emit speedReported(*speed);
    } else if (name == "frame-drop-count" || name == "decoder-frame-drop-count") {
        // mpv counts per file; the totals here run on over files.
        const std::int64_t count =
            property.format == MPV_FORMAT_INT64 ? *static_cast<const std::int64_t*>(property.data) : 0;
        const bool output = name == "frame-drop-count";
        auto& total = output ? dropped_.output : dropped_.decoder;
        auto& last = output ? dropped_.lastOutput : dropped_.lastDecoder;
        if (count > last)
            total += count - last;
        last = count;
    }
}

} // namespace media
