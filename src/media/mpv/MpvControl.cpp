#include "MpvControl.h"

#include "GlVideoSurface.h"
#include "PlayerKeys.h"
#include "PositionDisplay.h"
#include "PositionText.h"
#include "QtFormView.h"
#include "RuntimeError.h"
#include "SoftwareVideoSurface.h"
#include "TransportBar.h"
#include "Twips.h"
#include "VideoArea.h"
#include "VolumeButtons.h"

#include <QActionGroup>
#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <mpv/client.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace media {

namespace {

// Asynchronous replies carry the generation of the media they were asked for,
// so that an answer about a file already replaced is recognised and dropped.
enum class Reply : std::uint64_t { Ignored = 0, Load = 1, Picture = 2, SeekLanded = 3 };

std::uint64_t tag(std::uint64_t generation, Reply reply)
{
    return generation << 4 | static_cast<std::uint64_t>(reply);
}

Reply replyOf(std::uint64_t tag)
{
    return static_cast<Reply>(tag & 0xf);
}

std::uint64_t generationOf(std::uint64_t tag)
{
    return tag >> 4;
}

// Stand-in picture for sizes while no video is open, in logical pixels.
constexpr QSizeF StandIn{320, 240};

// Volume steps of a key press and of a wheel notch, in percent.
constexpr int VolumeStep = 5;
// Seeks of the arrow keys, in seconds.
constexpr double ShortSeek = 5;
constexpr double LongSeek = 60;
// How long the pointer stays on a full-screen picture without moving.
constexpr int PointerIdleMilliseconds = 2000;

std::string refusal(const std::string& path, std::string_view reason)
{
    return "Cannot open \"" + path + "\": " + std::string(reason);
}

std::string reasonFor(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return "no such file";
    case EACCES:
    case EPERM:
        return "permission denied";
    default: {
        std::string text = std::generic_category().message(error);
        if (!text.empty())
            text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
        return text;
    }
    }
}

// Refuses at once what mpv could only fail on later, and what it must not be handed
// at all (a folder would be played as a playlist of its files).
void checkReadable(const std::string& path, const std::string& local)
{
    struct stat info {};
    if (::stat(local.c_str(), &info) != 0)
        throw forms::RuntimeError(refusal(path, reasonFor(errno)));
    if (S_ISDIR(info.st_mode))
        throw forms::RuntimeError(refusal(path, "is a directory"));
    if (!S_ISREG(info.st_mode))
        throw forms::RuntimeError(refusal(path, "not a regular file"));
    const int file = ::open(local.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file < 0)
        throw forms::RuntimeError(refusal(path, reasonFor(errno)));
    ::close(file);
}

std::optional<std::int64_t> integerMember(const mpv_node& map, std::string_view key)
{
    const mpv_node* value = nodeMember(map, key);
    if (!value)
        return std::nullopt;
    if (value->format == MPV_FORMAT_INT64)
        return value->u.int64;
    if (value->format == MPV_FORMAT_DOUBLE)
        return static_cast<std::int64_t>(value->u.double_);
    return std::nullopt;
}

// The picture as shown: mpv's display size, which has the pixel aspect applied, turned if the video is.
std::optional<QSize> pictureOf(const mpv_node& params)
{
    const auto width = integerMember(params, "dw");
    const auto height = integerMember(params, "dh");
    if (!width || !height || *width <= 0 || *height <= 0)
        return std::nullopt;
    const auto rotate = integerMember(params, "rotate").value_or(0);
    if (rotate % 180 == 90)
        return QSize(static_cast<int>(*height), static_cast<int>(*width));
    return QSize(static_cast<int>(*width), static_cast<int>(*height));
}

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

void MpvControl::MpvDestroyer::operator()(mpv_handle* mpv) const
{
    mpv_terminate_destroy(mpv);
}

MpvControl::MpvControl(const platform::SystemMetrics& metrics, platform::MediaPaths& paths, QWidget* parent)
    : QWidget(parent), metrics_(metrics), paths_(paths)
{
    setFocusPolicy(Qt::StrongFocus);

    const bool started = startMpv();
    createSurface();
    // The position display and the transport bar together: below the picture,
    // or over its bottom edge in full screen.
    panels_ = new QWidget(this);
    panels_->setObjectName(QStringLiteral("panels"));
    panels_->setFocusPolicy(Qt::NoFocus);
    panels_->setAutoFillBackground(true);
    // Over a native OpenGL window only a native widget can be seen.
    if (surfaceKind_ == SurfaceKind::OpenGl)
        panels_->setAttribute(Qt::WA_NativeWindow);
    panels_->installEventFilter(this);
    display_ = new PositionDisplay(panels_);
    display_->setObjectName(QStringLiteral("position"));
    bar_ = new TransportBar(panels_);
    bar_->setObjectName(QStringLiteral("transport"));
    volumeButtons_ = new VolumeButtons(bar_);
    volumeButtons_->setObjectName(QStringLiteral("volumeButtons"));
    bar_->layout()->addWidget(volumeButtons_);
    auto* panelLayout = new QVBoxLayout(panels_);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);
    panelLayout->addWidget(display_);
    panelLayout->addWidget(bar_);
    panels_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(&surface_->widget(), 1);
    layout->addWidget(panels_);

    connect(volumeButtons_, &VolumeButtons::volumeRequested, this, &MpvControl::setVolume);
    connect(volumeButtons_, &VolumeButtons::muteClicked, this, [this] { setMuted(!level_.muted); });
    trace_ = std::getenv("ZELVO_TRACE_ENGINE") != nullptr;
    pointerIdle_.setSingleShot(true);
    pointerIdle_.setInterval(PointerIdleMilliseconds);
    connect(&pointerIdle_, &QTimer::timeout, this, [this] {
        // Not while it rests on the panels, which it is there to use.
        if (fullScreen_ && !(panels_->isVisible() && panels_->underMouse()))
            hidePointer(true);
    });
    // The OpenGL surface's native window lets the mouse through to its container: one widget gets it either way.
    pictureInput_ = &surface_->widget();
    pictureInput_->setMouseTracking(true);
    pictureInput_->installEventFilter(this);

    connect(bar_, &TransportBar::playClicked, this, &MpvControl::play);
    connect(bar_, &TransportBar::pauseClicked, this, &MpvControl::pause);
    connect(bar_, &TransportBar::stopClicked, this, &MpvControl::stop);
    connect(bar_, &TransportBar::seekRequested, this, &MpvControl::seek);
    surface_->frameShown = [this] {
        ++frameCounts_.presented;
        emit framePresented();
        const bool current = media_.stage == Stage::Loaded || media_.stage == Stage::Open;
        if (current && !media_.frameShown) {
            media_.frameShown = true;
            emit firstFrameShown();
        }
    };

    display_->setColors(foreColor_, backColor_);
    showPosition();
    applyLevel();
    if (started)
        mpv_set_wakeup_callback(mpv_.get(), &MpvControl::wakeup, this);
    else
        fail(tr("Playback is not available: the mpv library could not be started"));
}

MpvControl::~MpvControl()
{
    // Order matters: no more wake-ups, then the render context, then the core.
    if (mpv_)
        mpv_set_wakeup_callback(mpv_.get(), nullptr, nullptr);
    if (surface_)
        surface_->detach();
    mpv_.reset();
}

bool MpvControl::startMpv()
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
        // The control has its own position display.
        {"osd-level", "0"},
        {"osd-bar", "no"},
        // A machine without a sound device still plays the picture.
        {"audio-fallback-to-null", "yes"},
        // Rendering must never wait for a frame's display time on the UI thread.
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
    mpv_observe_property(mpv_.get(), 0, "time-pos", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_.get(), 0, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_.get(), 0, "container-fps", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_.get(), 0, "pause", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv_.get(), 0, "eof-reached", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv_.get(), 0, "volume", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_.get(), 0, "mute", MPV_FORMAT_FLAG);
    mpv_observe_property(mpv_.get(), 0, "track-list", MPV_FORMAT_NODE);
    mpv_observe_property(mpv_.get(), 0, "aid", MPV_FORMAT_STRING);
    mpv_observe_property(mpv_.get(), 0, "sid", MPV_FORMAT_STRING);
    mpv_observe_property(mpv_.get(), 0, "file-format", MPV_FORMAT_STRING);
    mpv_observe_property(mpv_.get(), 0, "frame-drop-count", MPV_FORMAT_INT64);
    mpv_observe_property(mpv_.get(), 0, "decoder-frame-drop-count", MPV_FORMAT_INT64);
    return true;
}

void MpvControl::createSurface()
{
    surfaceKind_ = chooseSurface();
    if (surfaceKind_ == SurfaceKind::OpenGl) {
        GlVideoSurface* gl = GlVideoSurface::create(this);
        if (mpv_ && gl->attach(mpv_.get())) {
            surface_ = gl;
            return;
        }
        delete &gl->widget();
        surfaceKind_ = SurfaceKind::Software;
    }
    auto* software = new SoftwareVideoSurface(this);
    // Should even this fail, mpv plays on without a picture.
    if (mpv_)
        software->attach(mpv_.get());
    surface_ = software;
}

void MpvControl::MediaFile(const std::string& path)
{
    platform::ResolvedMedia resolved = paths_.resolve(path);
    if (!mpv_)
        throw forms::RuntimeError(refusal(path, "the mpv library could not be started"));
    std::string url;
    if (!resolved.localPath.empty()) {
        checkReadable(path, resolved.localPath);
        // An absolute path can never be taken for a URL or an option.
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(resolved.localPath, error);
        url = error ? resolved.localPath : absolute.string();
    } else if (resolved.openStream) {
        url = streams_.add(std::move(resolved.openStream));
    } else {
        throw forms::RuntimeError(refusal(path, "no such file"));
    }

    media_ = Media{};
    media_.generation = ++generation_;
    media_.path = path;
    media_.url = url;
    media_.stage = Stage::Loading;
    position_ = 0;
    duration_.reset();
    framesPerSecond_.reset();
    atEnd_ = false;
    stopped_ = false;
    seeking_ = false;
    bar_->setMediaReady(false);
    bar_->setDuration(std::nullopt);
    bar_->setPosition(0);
    showPosition();

    // Paused before it loads: nothing plays until StartPlayback. Requests run in order.
    setPause(true);
    const char* words[] = {"loadfile", url.c_str(), "replace", nullptr};
    mpv_command_async(mpv_.get(), tag(media_.generation, Reply::Load), words);
    emit mediaChanged();
    emit playbackChanged();
}

std::string MpvControl::MediaFile() const
{
    return media_.path;
}

MpvControl::Playback MpvControl::playback() const
{
    if (media_.stage != Stage::Open || stopped_ || atEnd_)
        return Playback::Stopped;
    return paused_ ? Playback::Paused : Playback::Playing;
}

std::string MpvControl::localFile() const
{
    // Local files are handed to mpv as absolute paths; anything else is a stream of ours.
    return media_.url.starts_with('/') ? media_.url : std::string();
}

void MpvControl::StartPlayback()
{
    play();
}

void MpvControl::DisplayUnit(std::int32_t unit)
{
    if (unit != 0 && unit != 1)
        throw forms::RuntimeError("Invalid DisplayUnit value " + std::to_string(unit) + " (0 time, 1 frames)");
    unit_ = unit;
    showPosition();
}

void MpvControl::DisplayForeColor(std::int32_t color)
{
    foreColor_ = color;
    display_->setColors(foreColor_, backColor_);
}

void MpvControl::DisplayBackColor(std::int32_t color)
{
    backColor_ = color;
    display_->setColors(foreColor_, backColor_);
}

void MpvControl::MovieSize(std::int32_t size)
{
    const QSize screen(metrics_.GetSystemMetrics(platform::SM_CXSCREEN),
                       metrics_.GetSystemMetrics(platform::SM_CYSCREEN));
    const bool open = media_.stage == Stage::Open;
    const bool soundOnly = open && !media_.picture;
    const QSizeF picture = open && media_.picture ? QSizeF(*media_.picture) / devicePixelRatioF() : StandIn;
    std::optional<QSizeF> area = videoAreaFor(size, picture, screen);
    if (!area)
        throw forms::RuntimeError("Invalid MovieSize value " + std::to_string(size) + " (0, 1, 2, 3 or 4)");
    if (soundOnly)
        area->setHeight(0);
    setSize(static_cast<float>(area->width()) * forms::TwipsPerPixel,
            static_cast<float>(area->height() + panelsHeight()) * forms::TwipsPerPixel);
}

QString MpvControl::displayText() const
{
    if (media_.stage == Stage::Failed)
        return media_.failure;
    return unit_ == 1 ? frameText(position_, framesPerSecond_) : timeText(position_);
}

int MpvControl::panelsHeight() const
{
    return display_->height() + bar_->height();
}

void MpvControl::keyPressEvent(QKeyEvent* event)
{
    // A playback key acts, and a typed one is still raised as KeyPress below.
    const bool played = playerKey(*event);
    const int code = forms::keyAsciiFor(*event);
    // Keys that type nothing, and shortcuts, go on to the window and its menus.
    if (code == 0 || !KeyPress) {
        if (played)
            event->accept();
        else
            QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    auto ascii = static_cast<std::int16_t>(code);
    KeyPress(ascii);
}

bool MpvControl::focusNextPrevChild(bool)
{
    // Nothing else inside takes the focus: Tab is a typed key like the others.
    return false;
}

void MpvControl::wakeup(void* self)
{
    // On one of mpv's threads: only hand the work over to the UI thread.
    auto* control = static_cast<MpvControl*>(self);
    if (!control->wakeupPending_.exchange(true))
        QMetaObject::invokeMethod(control, &MpvControl::drainEvents, Qt::QueuedConnection);
}

void MpvControl::drainEvents()
{
    wakeupPending_ = false;
    while (mpv_) {
        const mpv_event* event = mpv_wait_event(mpv_.get(), 0);
        if (event->event_id == MPV_EVENT_NONE)
            break;
        // The event is valid only until the next wait, which a handler of ours may reach
        // in a nested event loop: it is handled first and not touched afterwards.
        handle(*event);
    }
}

void MpvControl::handle(const mpv_event& event)
{
    switch (event.event_id) {
    case MPV_EVENT_LOG_MESSAGE: {
        const auto& message = *static_cast<const mpv_event_log_message*>(event.data);
        std::fprintf(stderr, "mpv: [%s] %s", message.prefix, message.text);
        break;
    }
    case MPV_EVENT_COMMAND_REPLY:
        if (replyOf(event.reply_userdata) != Reply::Load || generationOf(event.reply_userdata) != media_.generation)
            break;
        if (event.error < 0) {
            fail(QString::fromUtf8(mpv_error_string(event.error)));
        } else {
            const auto& result = static_cast<const mpv_event_command*>(event.data)->result;
            media_.entry = integerMember(result, "playlist_entry_id").value_or(-1);
        }
        break;
    case MPV_EVENT_START_FILE:
        playingEntry_ = static_cast<const mpv_event_start_file*>(event.data)->playlist_entry_id;
        break;
    case MPV_EVENT_FILE_LOADED:
        if (trace_)
            std::fprintf(stderr, "engine: loaded %lld\n", static_cast<long long>(playingEntry_));
        if (playingEntry_ == media_.entry && media_.stage == Stage::Loading)
            media_.stage = Stage::Loaded;
        break;
    case MPV_EVENT_SEEK:
        // A seek in the media before, still queued when this one was put, is not this one's.
        if (playingEntry_ == media_.entry)
            seeking_ = true;
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        // Where a seek landed is asked once, not read from every frame's position.
        if (seeking_) {
            seeking_ = false;
            mpv_get_property_async(mpv_.get(), tag(media_.generation, Reply::SeekLanded), "time-pos",
                                   MPV_FORMAT_DOUBLE);
        }
        // The first frame is decoded, so the picture's size is final (or there is none).
        if (playingEntry_ == media_.entry && media_.stage == Stage::Loaded && !media_.sizeAsked) {
            media_.sizeAsked = true;
            mpv_get_property_async(mpv_.get(), tag(media_.generation, Reply::Picture), "video-out-params",
                                   MPV_FORMAT_NODE);
        }
        break;
    case MPV_EVENT_GET_PROPERTY_REPLY:
        if (replyOf(event.reply_userdata) == Reply::SeekLanded &&
            generationOf(event.reply_userdata) == media_.generation && event.error >= 0) {
            const auto& property = *static_cast<const mpv_event_property*>(event.data);
            // The position itself stays with time-pos: a reply can arrive after a later change of it.
            if (property.format == MPV_FORMAT_DOUBLE)
                emit seeked(*static_cast<const double*>(property.data));
            break;
        }
        if (replyOf(event.reply_userdata) == Reply::Picture &&
            generationOf(event.reply_userdata) == media_.generation && media_.stage == Stage::Loaded) {
            const auto& property = *static_cast<const mpv_event_property*>(event.data);
            std::optional<QSize> picture;
            if (event.error >= 0 && property.format == MPV_FORMAT_NODE)
                picture = pictureOf(*static_cast<const mpv_node*>(property.data));
            finishOpen(picture);
        }
        break;
    case MPV_EVENT_END_FILE: {
        const auto& end = *static_cast<const mpv_event_end_file*>(event.data);
        if (end.playlist_entry_id == playingEntry_)
            playingEntry_ = -1;
        if (end.playlist_entry_id != media_.entry)
            break;
        if (end.reason == MPV_END_FILE_REASON_ERROR) {
            const std::optional<std::string> streamFailure = streams_.failure(media_.url);
            fail(streamFailure ? QString::fromStdString(*streamFailure)
                               : QString::fromUtf8(mpv_error_string(end.error)));
        } else if (end.reason == MPV_END_FILE_REASON_REDIRECT) {
            fail(tr("it is a playlist, not a media file"));
        }
        break;
    }
    case MPV_EVENT_PROPERTY_CHANGE: {
        const auto& property = *static_cast<const mpv_event_property*>(event.data);
        const std::string_view name = property.name;
        const auto number = [&]() -> std::optional<double> {
            if (property.format == MPV_FORMAT_DOUBLE)
                return *static_cast<const double*>(property.data);
            return std::nullopt;
        };
        const bool flag = property.format == MPV_FORMAT_FLAG && *static_cast<const int*>(property.data);
        if (name == "time-pos") {
            position_ = number().value_or(0);
            showPosition();
            bar_->setPosition(position_);
        } else if (name == "duration") {
            duration_ = number();
            bar_->setDuration(duration_);
            emit mediaChanged();
        } else if (name == "container-fps") {
            framesPerSecond_ = number();
            showPosition();
        } else if (name == "pause") {
            paused_ = flag;
            bar_->setPaused(paused_);
            if (trace_)
                std::fprintf(stderr, "engine: pause %s\n", flag ? "yes" : "no");
            emit playbackChanged();
        } else if (name == "eof-reached") {
            atEnd_ = flag;
            emit playbackChanged();
        } else if (name == "volume") {
            engineVolume_ = number();
            if (trace_ && engineVolume_)
                std::fprintf(stderr, "engine: volume %g\n", *engineVolume_);
        } else if (name == "mute") {
            engineMuted_ = flag;
            if (trace_)
                std::fprintf(stderr, "engine: mute %s\n", flag ? "yes" : "no");
        } else if (name == "track-list") {
            tracks_ = property.format == MPV_FORMAT_NODE ? tracksFrom(*static_cast<const mpv_node*>(property.data))
                                                         : std::vector<Track>{};
        } else if (name == "aid" || name == "sid") {
            const QString id = property.format == MPV_FORMAT_STRING
                                   ? QString::fromUtf8(*static_cast<const char* const*>(property.data))
                                   : QStringLiteral("no");
            (name == "aid" ? engineAudio_ : engineSubtitle_) = id;
            if (trace_)
                std::fprintf(stderr, "engine: %s %s\n", property.name, qPrintable(id));
        } else if (name == "file-format") {
            // Known before the first picture, so before any seek the user can ask for.
            const char* format =
                property.format == MPV_FORMAT_STRING ? *static_cast<const char* const*>(property.data) : nullptr;
            double leadIn = seekLeadInFor(format ? format : "");
            mpv_set_property_async(mpv_.get(), 0, "hr-seek-demuxer-offset", MPV_FORMAT_DOUBLE, &leadIn);
        } else if (name == "frame-drop-count" || name == "decoder-frame-drop-count") {
            // mpv counts per file; the totals here run on over files.
            const std::int64_t count =
                property.format == MPV_FORMAT_INT64 ? *static_cast<const std::int64_t*>(property.data) : 0;
            auto& total = name == "frame-drop-count" ? frameCounts_.droppedByOutput : frameCounts_.droppedByDecoder;
            auto& last = name == "frame-drop-count" ? lastDrops_.output : lastDrops_.decoder;
            if (count > last)
                total += count - last;
            last = count;
        }
        if (trace_ && name != "time-pos")
            std::fflush(stderr);
        break;
    }
    default:
        break;
    }
}

void MpvControl::fail(const QString& reason)
{
    media_.stage = Stage::Failed;
    media_.failure =
        media_.path.empty() ? reason : tr("Cannot play \"%1\": %2").arg(QString::fromStdString(media_.path), reason);
    bar_->setMediaReady(false);
    showPosition();
    emit mediaChanged();
    emit playbackChanged();
}

void MpvControl::finishOpen(std::optional<QSize> picture)
{
    media_.stage = Stage::Open;
    media_.picture = picture;
    bar_->setMediaReady(true);
    showPosition();
    emit mediaChanged();
    emit playbackChanged();
    // Last of all: the handler may open another file or run a nested event loop.
    if (OpenComplete)
        OpenComplete();
}

void MpvControl::showPosition()
{
    display_->setText(displayText());
}

void MpvControl::play()
{
    if (media_.stage == Stage::Empty || media_.stage == Stage::Failed)
        return;
    // At the end the last frame stays; play starts again from the beginning.
    if (atEnd_)
        seek(0, true);
    stopped_ = false;
    setPause(false);
    emit playbackChanged();
}

void MpvControl::pause()
{
    setPause(true);
}

void MpvControl::stop()
{
    if (media_.stage == Stage::Empty || media_.stage == Stage::Failed)
        return;
    setPause(true);
    seek(0, true);
    stopped_ = true;
    emit playbackChanged();
}

void MpvControl::seekTo(double seconds)
{
    if (media_.stage != Stage::Open)
        return;
    seek(std::max(0.0, seconds), true);
}

void MpvControl::seek(double seconds, bool exact)
{
    const QByteArray to = QByteArray::number(seconds, 'f', 3);
    command({"seek", to.constData(), exact ? "absolute+exact" : "absolute+keyframes"});
}

void MpvControl::stepFrame(bool forward)
{
    if (media_.stage != Stage::Loaded && media_.stage != Stage::Open)
        return;
    // mpv pauses first when playing, so a step is always from a still picture.
    command({forward ? "frame-step" : "frame-back-step"});
}

void MpvControl::command(std::initializer_list<const char*> words)
{
    if (!mpv_)
        return;
    std::vector<const char*> list(words);
    list.push_back(nullptr);
    mpv_command_async(mpv_.get(), 0, list.data());
}

void MpvControl::setPause(bool pause)
{
    if (!mpv_)
        return;
    int flag = pause ? 1 : 0;
    mpv_set_property_async(mpv_.get(), 0, "pause", MPV_FORMAT_FLAG, &flag);
}

void MpvControl::rememberVolumeIn(platform::SettingsStore& store, const std::string& appName,
                                  std::function<void(const std::string&)> report)
{
    memory_ = std::make_unique<VolumeMemory>(store, appName, std::move(report));
    level_ = memory_->load();
    applyLevel();
}

void MpvControl::setVolume(int volume)
{
    volume = std::clamp(volume, 0, 100);
    if (volume == level_.volume)
        return;
    level_.volume = volume;
    applyLevel();
    if (memory_)
        memory_->remember(level_);
}

void MpvControl::setMuted(bool muted)
{
    if (muted == level_.muted)
        return;
    level_.muted = muted;
    applyLevel();
    if (memory_)
        memory_->remember(level_);
}

void MpvControl::applyLevel()
{
    volumeButtons_->showLevel(level_.volume, level_.muted);
    emit volumeChanged();
    if (!mpv_)
        return;
    double volume = level_.volume;
    int mute = level_.muted ? 1 : 0;
    mpv_set_property_async(mpv_.get(), 0, "volume", MPV_FORMAT_DOUBLE, &volume);
    mpv_set_property_async(mpv_.get(), 0, "mute", MPV_FORMAT_FLAG, &mute);
}

bool MpvControl::playerKey(const QKeyEvent& event)
{
    const std::optional<PlayerAction> action = playerActionFor(event);
    if (!action)
        return false;
    act(*action);
    return true;
}

void MpvControl::act(PlayerAction action)
{
    const bool media = media_.stage == Stage::Loaded || media_.stage == Stage::Open;
    const auto seekBy = [this](double seconds) {
        const QByteArray by = QByteArray::number(seconds, 'f', 3);
        command({"seek", by.constData(), "relative+exact"});
    };
    switch (action) {
    case PlayerAction::TogglePause:
        if (paused_)
            play();
        else
            pause();
        break;
    case PlayerAction::SeekBack:
        if (media)
            seekBy(-ShortSeek);
        break;
    case PlayerAction::SeekForward:
        if (media)
            seekBy(ShortSeek);
        break;
    case PlayerAction::SeekBackLong:
        if (media)
            seekBy(-LongSeek);
        break;
    case PlayerAction::SeekForwardLong:
        if (media)
            seekBy(LongSeek);
        break;
    case PlayerAction::ToStart:
        if (media)
            seek(0, true);
        break;
    case PlayerAction::FrameBack:
        stepFrame(false);
        break;
    case PlayerAction::FrameForward:
        stepFrame(true);
        break;
    case PlayerAction::VolumeDown:
        setVolume(level_.volume - VolumeStep);
        break;
    case PlayerAction::VolumeUp:
        setVolume(level_.volume + VolumeStep);
        break;
    case PlayerAction::ToggleMute:
        setMuted(!level_.muted);
        break;
    case PlayerAction::ToggleFullScreen:
        emit fullScreenRequested(!fullScreen_);
        break;
    case PlayerAction::LeaveFullScreen:
        if (fullScreen_)
            emit fullScreenRequested(false);
        break;
    case PlayerAction::CycleAudio:
        if (media)
            command({"cycle", "audio"});
        break;
    case PlayerAction::CycleSubtitle:
        if (media)
            command({"cycle", "sub"});
        break;
    case PlayerAction::CycleSubtitleBack:
        if (media)
            command({"cycle", "sub", "down"});
        break;
    }
}

void MpvControl::chooseTrack(const char* property, std::int64_t id)
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

std::unique_ptr<QMenu> MpvControl::contextMenu()
{
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QStringLiteral("pictureMenu"));
    const auto addTracks = [&](Track::Kind kind, const char* property, bool withOff) {
        auto* group = new QActionGroup(menu.get());
        bool any = false;
        if (withOff) {
            QAction* off = menu->addAction(tr("Off"));
            off->setObjectName(QStringLiteral("subtitleOff"));
            off->setCheckable(true);
            off->setActionGroup(group);
            connect(off, &QAction::triggered, this, [this, property] { chooseTrack(property, 0); });
            off->setChecked(true);
        }
        for (const Track& track : tracks_) {
            if (track.kind != kind)
                continue;
            QAction* action = addTrackAction(*menu, track);
            action->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(property)).arg(track.id));
            action->setCheckable(true);
            action->setActionGroup(group);
            action->setChecked(track.selected);
            connect(action, &QAction::triggered, this, [this, property, id = track.id] { chooseTrack(property, id); });
            any = true;
        }
        if (!any && !withOff)
            menu->addAction(tr("None"))->setEnabled(false);
    };
    menu->addSection(tr("Audio"));
    addTracks(Track::Kind::Audio, "aid", false);
    menu->addSection(tr("Subtitles"));
    addTracks(Track::Kind::Subtitle, "sid", true);
    menu->addSeparator();
    QAction* full = menu->addAction(tr("Full Screen"));
    full->setObjectName(QStringLiteral("fullScreen"));
    full->setCheckable(true);
    full->setChecked(fullScreen_);
    connect(full, &QAction::triggered, this, [this] { emit fullScreenRequested(!fullScreen_); });
    return menu;
}

bool MpvControl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == pictureInput_)
        return pictureEvent(event);
    if (watched == panels_ && event->type() == QEvent::Leave && fullScreen_)
        showPanels(false);
    return false;
}

bool MpvControl::pictureEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            emit fullScreenRequested(!fullScreen_);
            return true;
        }
        return false;
    case QEvent::Wheel: {
        // Whole notches of 120; a touchpad's small steps add up to them.
        wheelRest_ += static_cast<QWheelEvent*>(event)->angleDelta().y();
        const int notches = wheelRest_ / 120;
        wheelRest_ -= notches * 120;
        if (notches != 0)
            setVolume(level_.volume + notches * VolumeStep);
        return true;
    }
    case QEvent::ContextMenu: {
        QMenu* menu = contextMenu().release();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    case QEvent::MouseMove:
        pointerMoved(mapFromGlobal(static_cast<QMouseEvent*>(event)->globalPosition().toPoint()));
        return false;
    default:
        return false;
    }
}

void MpvControl::pointerMoved(QPoint inControl)
{
    if (!fullScreen_)
        return;
    hidePointer(false);
    pointerIdle_.start();
    // At the bottom edge the panels come up; anywhere above them they go.
    if (inControl.y() >= height() - panels_->height())
        showPanels(true);
    else if (panels_->isVisible() && !panels_->geometry().contains(inControl))
        showPanels(false);
}

void MpvControl::setFullScreen(bool on)
{
    if (on == fullScreen_)
        return;
    fullScreen_ = on;
    auto* box = static_cast<QVBoxLayout*>(layout());
    if (on) {
        box->removeWidget(panels_);
        panels_->hide();
        placePanels();
        pointerIdle_.start();
    } else {
        pointerIdle_.stop();
        hidePointer(false);
        box->addWidget(panels_);
        panels_->show();
    }
}

void MpvControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (fullScreen_)
        placePanels();
}

void MpvControl::placePanels()
{
    const int height = display_->height() + bar_->height();
    panels_->setGeometry(0, this->height() - height, width(), height);
}

void MpvControl::showPanels(bool shown)
{
    if (shown == panels_->isVisible())
        return;
    if (shown) {
        placePanels();
        panels_->show();
        panels_->raise();
    } else {
        panels_->hide();
    }
}

void MpvControl::hidePointer(bool hidden)
{
    if (hidden)
        pictureInput_->setCursor(Qt::BlankCursor);
    else
        pictureInput_->unsetCursor();
}

} // namespace media
