#include "MpvControl.h"

#include "GlVideoSurface.h"
#include "PositionDisplay.h"
#include "PositionText.h"
#include "QtFormView.h"
#include "RuntimeError.h"
#include "SoftwareVideoSurface.h"
#include "TransportBar.h"
#include "Twips.h"
#include "VideoArea.h"

#include <QKeyEvent>
#include <QVBoxLayout>

#include <mpv/client.h>

#include <cctype>
#include <cerrno>
#include <clocale>
#include <cstdio>
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
enum class Reply : std::uint64_t { Ignored = 0, Load = 1, Picture = 2 };

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

const mpv_node* member(const mpv_node& map, std::string_view key)
{
    if (map.format != MPV_FORMAT_NODE_MAP)
        return nullptr;
    for (int i = 0; i < map.u.list->num; ++i)
        if (key == map.u.list->keys[i])
            return &map.u.list->values[i];
    return nullptr;
}

std::optional<std::int64_t> integerMember(const mpv_node& map, std::string_view key)
{
    const mpv_node* value = member(map, key);
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
    display_ = new PositionDisplay(this);
    display_->setObjectName(QStringLiteral("position"));
    bar_ = new TransportBar(this);
    bar_->setObjectName(QStringLiteral("transport"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(&surface_->widget(), 1);
    layout->addWidget(display_);
    layout->addWidget(bar_);

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
    bar_->setMediaReady(false);
    bar_->setDuration(std::nullopt);
    bar_->setPosition(0);
    showPosition();

    // Paused before it loads: nothing plays until StartPlayback. Requests run in order.
    setPause(true);
    const char* words[] = {"loadfile", url.c_str(), "replace", nullptr};
    mpv_command_async(mpv_.get(), tag(media_.generation, Reply::Load), words);
}

std::string MpvControl::MediaFile() const
{
    return media_.path;
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
    const int code = forms::keyAsciiFor(*event);
    // Keys that type nothing, and shortcuts, go on to the window and its menus.
    if (code == 0 || !KeyPress) {
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
        if (playingEntry_ == media_.entry && media_.stage == Stage::Loading)
            media_.stage = Stage::Loaded;
        break;
    case MPV_EVENT_PLAYBACK_RESTART:
        // The first frame is decoded, so the picture's size is final (or there is none).
        if (playingEntry_ == media_.entry && media_.stage == Stage::Loaded && !media_.sizeAsked) {
            media_.sizeAsked = true;
            mpv_get_property_async(mpv_.get(), tag(media_.generation, Reply::Picture), "video-out-params",
                                   MPV_FORMAT_NODE);
        }
        break;
    case MPV_EVENT_GET_PROPERTY_REPLY:
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
        } else if (name == "container-fps") {
            framesPerSecond_ = number();
            showPosition();
        } else if (name == "pause") {
            paused_ = flag;
            bar_->setPaused(paused_);
        } else if (name == "eof-reached") {
            atEnd_ = flag;
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
}

void MpvControl::finishOpen(std::optional<QSize> picture)
{
    media_.stage = Stage::Open;
    media_.picture = picture;
    bar_->setMediaReady(true);
    showPosition();
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
    setPause(false);
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
}

void MpvControl::seek(double seconds, bool exact)
{
    const QByteArray to = QByteArray::number(seconds, 'f', 3);
    command({"seek", to.constData(), exact ? "absolute+exact" : "absolute+keyframes"});
}

void MpvControl::stepFrame(bool forward)
{
    if (media_.stage != Stage::Open)
        return;
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

} // namespace media
