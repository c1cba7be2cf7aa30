#include "MpvControl.h"

#include "FullScreenPanels.h"
#include "GlVideoSurface.h"
#include "Keys.h"
#include "MediaCheck.h"
#include "MpvEngine.h"
#include "MpvWatching.h"
#include "PictureMenu.h"
#include "PositionDisplay.h"
#include "PositionText.h"
#include "RuntimeError.h"
#include "SeekPreview.h"
#include "SoftwareVideoSurface.h"
#include "TransportBar.h"
#include "Twips.h"
#include "VideoArea.h"
#include "VolumeButtons.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <filesystem>
#include <system_error>
#include <utility>

namespace media {

namespace {

// Stand-in picture for sizes while no video is open, in logical pixels.
constexpr QSizeF StandIn{320, 240};

// Seeks of the arrow keys, in seconds.
constexpr double ShortSeek = 5;
constexpr double LongSeek = 60;

} // namespace

MpvControl::MpvControl(const platform::SystemMetrics& metrics, platform::MediaPaths& paths, Timings timings,
                       QWidget* parent)
    : QWidget(parent), metrics_(metrics), paths_(paths), engine_(std::make_unique<MpvEngine>()), timings_(timings)
{
    setFocusPolicy(Qt::StrongFocus);
    session_ = new PlaybackSession(*engine_, this);
    volume_ = new VolumeController(this);
    watching_ = new MpvWatching(*engine_, *session_, *this);
    connect(watching_, &MpvWatching::fileRequested, this, &MpvControl::fileRequested);

    createSurface();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(&surface_->widget(), 1);
    buildPanels(*layout);

    // The OpenGL surface's native window lets the mouse through to its container: one widget gets it either way.
    pictureInput_ = &surface_->widget();
    pictureInput_->setMouseTracking(true);
    pictureInput_->installEventFilter(this);
    fullScreenPanels_ = new FullScreenPanels(*this, *layout, *panels_, *pictureInput_, [this] { return panelsHeight(); },
                                             timings_.pointerIdleMilliseconds);
    seekPreview_ = new SeekPreview(*bar_, *session_, surface_->widget(), this);

    surface_->frameShown = [this] {
        ++presented_;
        emit framePresented();
        session_->framePresented();
    };
    connectEngine();
    display_->setColors(foreColor_, backColor_);
    showPosition();
    engine_->setLevel(volume_->level());
    if (!engine_->started())
        session_->fail(tr("Playback is not available: the mpv library could not be started"));
}

MpvControl::~MpvControl()
{
    // Where the film was left, while the session still knows it.
    watching_->closing();
    // The render context goes before the core.
    if (surface_)
        surface_->detach();
    engine_.reset();
}

void MpvControl::createSurface()
{
    surfaceKind_ = chooseSurface();
    if (surfaceKind_ == SurfaceKind::OpenGl) {
        GlVideoSurface* gl = GlVideoSurface::create(this);
        if (engine_->started() && gl->attach(engine_->handle())) {
            surface_ = gl;
            return;
        }
        delete &gl->widget();
        surfaceKind_ = SurfaceKind::Software;
    }
    auto* software = new SoftwareVideoSurface(this);
    // Should even this fail, mpv plays on without a picture.
    if (engine_->started())
        software->attach(engine_->handle());
    surface_ = software;
}

void MpvControl::buildPanels(QVBoxLayout& layout)
{
    // The position display and the transport bar together: below the picture,
    // or over its bottom edge in full screen.
    panels_ = new QWidget(this);
    panels_->setObjectName(QStringLiteral("panels"));
    panels_->setFocusPolicy(Qt::NoFocus);
    panels_->setAutoFillBackground(true);
    // Over a native OpenGL window only a native widget can be seen.
    if (surfaceKind_ == SurfaceKind::OpenGl)
        panels_->setAttribute(Qt::WA_NativeWindow);
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
    layout.addWidget(panels_);

    connect(volumeButtons_, &VolumeButtons::volumeRequested, volume_, &VolumeController::setVolume);
    connect(volumeButtons_, &VolumeButtons::muteClicked, volume_, &VolumeController::toggleMute);
    connect(bar_, &TransportBar::playClicked, session_, &PlaybackSession::play);
    connect(bar_, &TransportBar::pauseClicked, session_, &PlaybackSession::pause);
    connect(bar_, &TransportBar::stopClicked, this, &MpvControl::stop);
    connect(bar_, &TransportBar::seekRequested, engine_.get(), &MpvEngine::seek);
}

void MpvControl::connectEngine()
{
    MpvEngine* engine = engine_.get();
    PlaybackSession* session = session_;
    connect(engine, &MpvEngine::loadAnswered, session, &PlaybackSession::loadAnswered);
    connect(engine, &MpvEngine::fileStarted, session, &PlaybackSession::fileStarted);
    connect(engine, &MpvEngine::fileLoaded, session, &PlaybackSession::fileLoaded);
    connect(engine, &MpvEngine::fileEnded, session, &PlaybackSession::fileEnded);
    connect(engine, &MpvEngine::seekStarted, session, &PlaybackSession::seekStarted);
    connect(engine, &MpvEngine::playbackRestarted, session, &PlaybackSession::playbackRestarted);
    connect(engine, &MpvEngine::pictureAnswered, session, &PlaybackSession::pictureAnswered);
    connect(engine, &MpvEngine::landed, session, &PlaybackSession::landed);
    connect(engine, &MpvEngine::pauseAnswered, session, &PlaybackSession::pauseAnswered);
    connect(engine, &MpvEngine::resynced, session, &PlaybackSession::resynced);
    connect(engine, &MpvEngine::eventsLost, session, &PlaybackSession::eventsLost);
    connect(engine, &MpvEngine::positionReported, session, &PlaybackSession::positionReported);
    connect(engine, &MpvEngine::durationReported, session, &PlaybackSession::durationReported);
    connect(engine, &MpvEngine::framesPerSecondReported, session, &PlaybackSession::framesPerSecondReported);
    connect(engine, &MpvEngine::pauseReported, session, &PlaybackSession::pauseReported);
    connect(engine, &MpvEngine::endReported, session, &PlaybackSession::endReported);
    connect(engine, &MpvEngine::volumeReported, volume_, &VolumeController::volumeReported);
    connect(engine, &MpvEngine::muteReported, volume_, &VolumeController::muteReported);
    connect(engine, &MpvEngine::tracksReported, this, [this](const std::vector<Track>& tracks) { tracks_ = tracks; });
    connect(engine, &MpvEngine::audioTrackReported, this, [this](const QString& id) { engineAudio_ = id; });
    connect(engine, &MpvEngine::subtitleTrackReported, this, [this](const QString& id) { engineSubtitle_ = id; });

    connect(session, &PlaybackSession::positionChanged, this, [this](double seconds) {
        showPosition();
        bar_->setPosition(seconds);
    });
    connect(session, &PlaybackSession::mediaChanged, this, [this] {
        bar_->setMediaReady(mediaReady());
        bar_->setDuration(session_->duration());
        // After the bar has taken the media's state: a pointer resting on it gets its preview without moving.
        bar_->hoverAgain();
        showPosition();
        emit mediaChanged();
    });
    connect(session, &PlaybackSession::playbackChanged, this, [this] {
        bar_->setPaused(session_->paused());
        emit playbackChanged();
    });
    connect(session, &PlaybackSession::seeked, this, &MpvControl::seeked);
    connect(session, &PlaybackSession::firstFrameShown, this, &MpvControl::firstFrameShown);
    connect(session, &PlaybackSession::opened, this, [this] {
        if (OpenComplete)
            OpenComplete();
    });
    connect(volume_, &VolumeController::levelChanged, this, [this](VolumeLevel level) {
        volumeButtons_->showLevel(level.volume, level.muted);
        engine_->setLevel(level);
        emit volumeChanged();
    });
}

void MpvControl::MediaFile(const std::string& path)
{
    platform::ResolvedMedia resolved = paths_.resolve(path);
    if (!engine_->started())
        throw forms::RuntimeError(refusal(path, "the mpv library could not be started"));
    std::string url;
    if (!resolved.localPath.empty()) {
        checkReadable(path, resolved.localPath);
        // An absolute path can never be taken for a URL or an option.
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(resolved.localPath, error);
        url = error ? resolved.localPath : absolute.string();
    } else if (resolved.openStream) {
        // The seek preview reads the same media through an opener of its own.
        StreamProtocol::Opener opener = resolved.openStream;
        url = engine_->addStream(std::move(resolved.openStream));
        seekPreview_->streamAdded(url, std::move(opener));
    } else {
        throw forms::RuntimeError(refusal(path, "no such file"));
    }
    watching_->opening(url);
    session_->open(path, url);
}

bool MpvControl::AddSubtitle(const std::string& path)
{
    return watching_->addSubtitle(path);
}

void MpvControl::stop()
{
    watching_->closing();
    session_->stop();
}

void MpvControl::stepFile(int step)
{
    watching_->stepFile(step);
}

void MpvControl::rememberPlacesIn(platform::SettingsStore& store, const std::string& appName,
                                  std::function<void(const std::string&)> report)
{
    watching_->rememberIn(store, appName, std::move(report));
}

std::string MpvControl::MediaFile() const
{
    return session_->path();
}

std::string MpvControl::localFile() const
{
    // Local files are handed to mpv as absolute paths; anything else is a stream of ours.
    const std::string& url = session_->url();
    return url.starts_with('/') ? url : std::string();
}

void MpvControl::StartPlayback()
{
    session_->play();
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
    const bool open = mediaReady();
    const std::optional<QSize> picture = session_->picture();
    const bool soundOnly = open && !picture;
    const QSizeF shown = open && picture ? QSizeF(*picture) / devicePixelRatioF() : StandIn;
    std::optional<QSizeF> area = videoAreaFor(size, shown, screen);
    if (!area)
        throw forms::RuntimeError("Invalid MovieSize value " + std::to_string(size) + " (0, 1, 2, 3 or 4)");
    if (soundOnly)
        area->setHeight(0);
    setSize(static_cast<float>(area->width()) * forms::TwipsPerPixel,
            static_cast<float>(area->height() + panelsHeight()) * forms::TwipsPerPixel);
}

QString MpvControl::displayText() const
{
    if (session_->stage() == PlaybackSession::Stage::Failed)
        return session_->failure();
    const double position = session_->position();
    return unit_ == 1 ? frameText(position, session_->framesPerSecond()) : timeText(position);
}

int MpvControl::panelsHeight() const
{
    return display_->height() + bar_->height();
}

MpvControl::FrameCounts MpvControl::frameCounts() const
{
    return {presented_, engine_->droppedByOutput(), engine_->droppedByDecoder()};
}

void MpvControl::showPosition()
{
    display_->setText(displayText());
}

void MpvControl::rememberVolumeIn(platform::SettingsStore& store, const std::string& appName,
                                  std::function<void(const std::string&)> report)
{
    seekPreview_->rememberIn(store, appName, report);
    volume_->rememberIn(store, appName, std::move(report), timings_.volumeQuietMilliseconds);
}

void MpvControl::keyPressEvent(QKeyEvent* event)
{
    // A playback key acts, and a typed one is still raised as KeyPress below.
    const bool played = playerKey(*event);
    const int code = forms::asciiFor(*event);
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

bool MpvControl::playerKey(const QKeyEvent& event)
{
    const std::optional<forms::PlayerAction> action = forms::actionFor(event);
    if (!action)
        return false;
    act(*action);
    return true;
}

void MpvControl::act(forms::PlayerAction action)
{
    using forms::PlayerAction;
    const bool media = session_->hasMedia();
    switch (action) {
    case PlayerAction::TogglePause:
        session_->togglePause();
        if (showsPicture())
            engine_->showText(QStringLiteral("${?pause==yes:Paused}${?pause==no:Playing}"), MpvWatching::MessageMs);
        break;
    case PlayerAction::SeekBack:
        session_->seekBy(-ShortSeek);
        break;
    case PlayerAction::SeekForward:
        session_->seekBy(ShortSeek);
        break;
    case PlayerAction::SeekBackLong:
        session_->seekBy(-LongSeek);
        break;
    case PlayerAction::SeekForwardLong:
        session_->seekBy(LongSeek);
        break;
    case PlayerAction::ToStart:
        session_->toStart();
        break;
    case PlayerAction::FrameBack:
        session_->stepFrame(false);
        break;
    case PlayerAction::FrameForward:
        session_->stepFrame(true);
        break;
    case PlayerAction::VolumeDown:
        volume_->step(-1);
        watching_->showVolume(volume_->level());
        break;
    case PlayerAction::VolumeUp:
        volume_->step(1);
        watching_->showVolume(volume_->level());
        break;
    case PlayerAction::ToggleMute:
        volume_->toggleMute();
        watching_->showVolume(volume_->level());
        break;
    case PlayerAction::ToggleFullScreen:
        emit fullScreenToggled();
        break;
    case PlayerAction::LeaveFullScreen:
        if (fullScreen())
            emit fullScreenRequested(false);
        break;
    case PlayerAction::CycleAudio:
        if (media)
            engine_->cycle({"osd-msg", "cycle", "audio"});
        break;
    case PlayerAction::CycleSubtitle:
        if (media)
            engine_->cycle({"osd-msg", "cycle", "sub"});
        break;
    case PlayerAction::CycleSubtitleBack:
        if (media)
            engine_->cycle({"osd-msg", "cycle", "sub", "down"});
        break;
    case PlayerAction::SpeedDown:
    case PlayerAction::SpeedUp:
    case PlayerAction::SpeedHalf:
    case PlayerAction::SpeedDouble:
    case PlayerAction::SpeedNormal:
    case PlayerAction::SubtitleDelayLess:
    case PlayerAction::SubtitleDelayMore:
    case PlayerAction::AudioDelayLess:
    case PlayerAction::AudioDelayMore:
    case PlayerAction::Screenshot:
    case PlayerAction::NextFile:
    case PlayerAction::PreviousFile:
    case PlayerAction::Resume:
        watching_->act(action);
        break;
    }
}

std::unique_ptr<QMenu> MpvControl::contextMenu()
{
    PictureMenuActions actions;
    actions.chooseTrack = [this](Track::Kind kind, std::int64_t id) {
        engine_->chooseTrack(kind == Track::Kind::Audio ? "aid" : "sid", id);
    };
    actions.toggleFullScreen = [this] { emit fullScreenToggled(); };
    actions.extend = [this](QMenu& menu) { watching_->addMenuEntries(menu); };
    std::unique_ptr<QMenu> menu = pictureMenu(this, tracks_, fullScreen(), actions);
    seekPreview_->addMenuToggle(*menu);
    return menu;
}

bool MpvControl::eventFilter(QObject* watched, QEvent* event)
{
    return watched == pictureInput_ && pictureEvent(event);
}

bool MpvControl::pictureEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            emit fullScreenToggled();
            return true;
        }
        return false;
    case QEvent::Wheel: {
        const VolumeLevel before = volume_->level();
        volume_->wheel(static_cast<QWheelEvent*>(event)->angleDelta().y());
        if (!(volume_->level() == before))
            watching_->showVolume(volume_->level());
        return true;
    }
    case QEvent::ContextMenu: {
        QMenu* menu = contextMenu().release();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    case QEvent::MouseMove:
        fullScreenPanels_->pointerMoved(mapFromGlobal(static_cast<QMouseEvent*>(event)->globalPosition().toPoint()));
        return false;
    default:
        return false;
    }
}

void MpvControl::setFullScreen(bool on)
{
    fullScreenPanels_->setFullScreen(on);
}

bool MpvControl::fullScreen() const
{
    return fullScreenPanels_->fullScreen();
}

void MpvControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fullScreenPanels_->controlResized();
}

} // namespace media
