#include "PlayerRemote.h"

#include "Keys.h"
#include "MpvWatching.h"

#include <QByteArray>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <regex>

namespace app {

namespace {

std::int64_t microseconds(double seconds)
{
    return static_cast<std::int64_t>(std::llround(seconds * 1e6));
}

} // namespace

std::string trackTitle(const std::string& path)
{
    // Three digits at most: a disc's track numbers end at 255, and a longer run is a name, not a number.
    static const std::regex vcdTrack(R"(^[A-Za-z]:\\mpegav\\(?:avseq|music)(\d{1,3})\.dat$)", std::regex::icase);
    std::smatch match;
    if (std::regex_match(path, match, vcdTrack))
        return "Video CD track " + std::to_string(std::stoi(match[1].str()));
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

PlayerRemote::PlayerRemote(media::MpvControl& control, player::Form1& form1, QWidget& window)
    : control_(control), form1_(form1), window_(window)
{
    // The Video CD track lives in the window; any handler may have changed it,
    // even one that ended in an error before the control heard of it.
    form1_.dispatcher.afterHandler = [this] { notify(); };
    connect(&control_, &media::MpvControl::playbackChanged, this, &PlayerRemote::notify);
    connect(&control_, &media::MpvControl::mediaChanged, this, &PlayerRemote::notify);
    connect(&control_, &media::MpvControl::volumeChanged, this, &PlayerRemote::notify);
    connect(&control_.watching(), &media::MpvWatching::speedChanged, this, &PlayerRemote::notify);
    connect(&control_, &media::MpvControl::seeked, this, [this](double seconds) {
        if (seeked)
            seeked(microseconds(seconds));
    });
}

PlayerRemote::~PlayerRemote()
{
    form1_.dispatcher.afterHandler = nullptr;
}

void PlayerRemote::notify()
{
    if (changed)
        changed();
}

platform::PlaybackStatus PlayerRemote::status() const
{
    switch (control_.playback()) {
    case media::MpvControl::Playback::Playing:
        return platform::PlaybackStatus::Playing;
    case media::MpvControl::Playback::Paused:
        return platform::PlaybackStatus::Paused;
    case media::MpvControl::Playback::Stopped:
        break;
    }
    return platform::PlaybackStatus::Stopped;
}

platform::TrackInfo PlayerRemote::track() const
{
    platform::TrackInfo info;
    const std::string path = control_.MediaFile();
    if (path.empty())
        return info;
    info.id = control_.mediaGeneration();
    info.title = trackTitle(path);
    const std::string local = control_.localFile();
    if (!local.empty())
        // Escaped byte for byte: a name that is not UTF-8 still leads back to its file.
        info.url = "file://" + QByteArray::fromStdString(local).toPercentEncoding("/!$&'()*+,;=:@").toStdString();
    if (const std::optional<double> length = control_.duration(); length && *length > 0)
        info.lengthUs = microseconds(*length);
    return info;
}

std::int64_t PlayerRemote::positionUs() const
{
    return microseconds(control_.position());
}

double PlayerRemote::volume() const
{
    return control_.volume() / 100.0;
}

// Whether the open media can be played and paused at all, whatever it does now:
// desktop widgets keep their buttons from these, and PlayPause depends on them.
double PlayerRemote::rate() const
{
    return control_.watching().speed();
}

void PlayerRemote::setRate(double rate)
{
    control_.watching().setSpeed(rate);
}

bool PlayerRemote::canPlay() const
{
    return control_.mediaReady();
}

bool PlayerRemote::canPause() const
{
    return control_.mediaReady();
}

bool PlayerRemote::canSeek() const
{
    return control_.mediaReady() && control_.duration().value_or(0) > 0;
}

bool PlayerRemote::canGoNext() const
{
    // Enter always moves on while a disc plays: after the last track comes the
    // first. A file moves on in its folder, until the last one says so.
    return form1_.vcdtrack != 0 || !control_.localFile().empty();
}

bool PlayerRemote::canGoPrevious() const
{
    return form1_.vcdtrack > 1 || (form1_.vcdtrack == 0 && !control_.localFile().empty());
}

void PlayerRemote::play()
{
    control_.play();
}

void PlayerRemote::pause()
{
    control_.pause();
}

void PlayerRemote::stop()
{
    control_.stop();
}

void PlayerRemote::setPositionUs(std::int64_t position)
{
    control_.seekTo(static_cast<double>(position) / 1e6);
}

void PlayerRemote::setVolume(double volume)
{
    control_.setVolume(static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * 100.0)));
}

// The window's own procedures run after the bus call has been answered: a
// message box they may show must not hold the caller waiting.
void PlayerRemote::next()
{
    if (form1_.vcdtrack == 0)
        control_.stepFile(1);
    else
        QTimer::singleShot(0, this, [this] { form1_.form.viewKeyPress(forms::keys::Enter); });
}

void PlayerRemote::previous()
{
    if (form1_.vcdtrack == 0)
        control_.stepFile(-1);
    else
        QTimer::singleShot(0, this, [this] { form1_.form.viewKeyPress(forms::keys::Backspace); });
}

void PlayerRemote::open(const std::string& path)
{
    QTimer::singleShot(0, this, [this, path] { form1_.form.viewFileDropped(path); });
}

void PlayerRemote::raise()
{
    window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
    window_.show();
    window_.raise();
    window_.activateWindow();
}

void PlayerRemote::quit()
{
    QTimer::singleShot(0, &window_, [this] { window_.close(); });
}

void keepScreenOnWhilePlaying(media::MpvControl& control, platform::ScreenSaverInhibitor& inhibitor)
{
    const auto follow = [&control, &inhibitor] {
        inhibitor.inhibit(control.playback() == media::MpvControl::Playback::Playing && control.showsPicture());
    };
    QObject::connect(&control, &media::MpvControl::playbackChanged, &control, follow);
    QObject::connect(&control, &media::MpvControl::mediaChanged, &control, follow);
}

} // namespace app
