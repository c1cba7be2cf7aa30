#include "MpvWatching.h"

#include "Keys.h"
#include "MpvEngine.h"
#include "PlaybackSession.h"
#include "PositionText.h"
#include "SettingsStore.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <exception>

namespace media {

namespace {

// Steps of the keys, as mpv's own bindings have them.
constexpr double SpeedStep = 1.1;
constexpr const char* DelayStep = "0.1";
constexpr const char* DelayBack = "-0.1";

FileStamp stampOf(const std::string& path)
{
    const QFileInfo info(QString::fromStdString(path));
    return {info.size(), info.lastModified().toMSecsSinceEpoch()};
}

// "0-01-05" for a file name: no colons, which other systems refuse.
QString namePosition(double seconds)
{
    const auto whole = static_cast<long long>(std::max(0.0, std::floor(seconds)));
    return QStringLiteral("%1-%2-%3")
        .arg(whole / 3600)
        .arg(whole / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(whole % 60, 2, 10, QLatin1Char('0'));
}

QString fileName(const std::string& path)
{
    return QFileInfo(QString::fromStdString(path)).fileName();
}

} // namespace

MpvWatching::MpvWatching(MpvEngine& engine, PlaybackSession& session, QWidget& control)
    : QObject(&control), engine_(engine), session_(session), control_(control)
{
    connect(&session_, &PlaybackSession::opened, this, &MpvWatching::opened);
    connect(&engine_, &MpvEngine::endReported, this, &MpvWatching::ended);
    connect(&engine_, &MpvEngine::commandAnswered, this, &MpvWatching::answered);
    connect(&engine_, &MpvEngine::speedReported, this, [this](double speed) {
        speed_ = speed;
        emit speedChanged(speed);
    });
}

void MpvWatching::rememberIn(platform::SettingsStore& store, const std::string& appName,
                             std::function<void(const std::string&)> report)
{
    store_ = &store;
    appName_ = appName;
    report_ = std::move(report);
    try {
        // Sets nothing: one read of the store, no lock, no write.
        store.EditSettings(appName_, ResumePositions::Section,
                           [this](platform::SettingsEdit& edit) { positions_.readFrom(edit); });
    } catch (const std::exception& error) {
        failed("Where films were left cannot be read", error);
    }
    preferences_ = Preferences::load(store, appName_, [this](const std::string& what) {
        failed("The right-click menu's settings cannot be read", std::runtime_error(what));
    });
}

void MpvWatching::failed(const std::string& what, const std::exception& error)
{
    if (std::exchange(reported_, true) || !report_)
        return;
    report_(what + ": " + error.what());
}

void MpvWatching::opening(const std::string& url)
{
    closing();
    offer_.reset();
    local_ = url.starts_with('/') ? url : std::string();
    // stat of the file just checked for reading: it is at hand, not on a stalled mount.
    stamp_ = local_.empty() ? FileStamp{} : stampOf(local_);
    // Sync set for one film is wrong for the next.
    engine_.run({"no-osd", "set", "sub-delay", "0"});
    engine_.run({"no-osd", "set", "audio-delay", "0"});
    const std::optional<double> place = local_.empty() ? std::nullopt : positions_.offer(local_, stamp_);
    if (preferences_.resumeAutomatically && place) {
        // mpv starts the file there, so the first picture is already the one asked for.
        const QByteArray at = QByteArray::number(*place, 'f', 3);
        engine_.run({"no-osd", "set", "start", at.constData()});
        startSet_ = true;
    } else if (startSet_) {
        engine_.run({"no-osd", "set", "start", "none"});
        startSet_ = false;
    }
}

void MpvWatching::closing()
{
    if (!store_ || local_.empty())
        return;
    // A file that never opened, or closed in its first seconds, leaves its
    // kept place alone: a glance at a film must not lose where it was left.
    // So does the start a Stop goes back to, when the window closes after it.
    if (session_.stage() != PlaybackSession::Stage::Open)
        return;
    const double position = session_.position();
    const std::optional<double> duration = session_.duration();
    const bool keep = worthResuming(position, duration);
    const bool known = std::any_of(positions_.entries().begin(), positions_.entries().end(),
                                   [this](const ResumeEntry& entry) { return entry.path == local_; });
    if (!keep && !(known && watchedToEnd(position, duration)))
        return;
    const ResumeEntry entry{local_, session_.position(), stamp_};
    try {
        // Read again under the store's lock: another player may have kept places meanwhile.
        store_->EditSettings(appName_, ResumePositions::Section, [&](platform::SettingsEdit& edit) {
            ResumePositions now;
            now.readFrom(edit);
            if (keep)
                now.remember(entry);
            else
                now.forget(entry.path);
            now.writeTo(edit);
            positions_ = now;
        });
    } catch (const std::exception& error) {
        failed("Where the film was left cannot be remembered", error);
    }
}

void MpvWatching::opened()
{
    const bool automatic = startSet_;
    if (startSet_) {
        engine_.run({"no-osd", "set", "start", "none"});
        startSet_ = false;
    }
    QString text;
    if (!stepped_.empty() && stepped_ == local_)
        text = fileName(local_);
    stepped_.clear();
    if (!local_.empty())
        offer_ = positions_.offer(local_, stamp_, session_.duration());
    if (offer_) {
        const QString at = durationText(*offer_);
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += automatic ? tr("Resumed from %1").arg(at) : tr("Resume from %1 (press r)").arg(at);
        message(text, OfferMs);
    } else if (!text.isEmpty()) {
        message(text);
    }
}

void MpvWatching::ended(bool atEnd)
{
    const std::uint64_t generation = session_.generation();
    if (!atEnd || !preferences_.playNextAtEnd || session_.stage() != PlaybackSession::Stage::Open ||
        endStepped_ == generation)
        return;
    endStepped_ = generation;
    stepFile(1);
}

void MpvWatching::message(const QString& text, int milliseconds)
{
    // Nothing over a picture that is not there (sound only, nothing open).
    if (session_.stage() != PlaybackSession::Stage::Open || !session_.picture())
        return;
    engine_.showText(text, milliseconds);
    emit messageShown(text);
}

void MpvWatching::showVolume(VolumeLevel level)
{
    message(level.muted ? tr("Volume: %1 % (muted)").arg(level.volume) : tr("Volume: %1 %").arg(level.volume));
}

bool MpvWatching::act(forms::PlayerAction action)
{
    using forms::PlayerAction;
    const bool media = session_.hasMedia();
    const auto speed = [&](double factor) {
        if (media)
            engine_.run({"osd-msg", "multiply", "speed", QByteArray::number(factor, 'g', 10).constData()});
    };
    const auto add = [&](const char* property, const char* by) {
        if (media)
            engine_.run({"osd-msg", "add", property, by});
    };
    switch (action) {
    case PlayerAction::SpeedDown:
        speed(1 / SpeedStep);
        return true;
    case PlayerAction::SpeedUp:
        speed(SpeedStep);
        return true;
    case PlayerAction::SpeedHalf:
        speed(0.5);
        return true;
    case PlayerAction::SpeedDouble:
        speed(2);
        return true;
    case PlayerAction::SpeedNormal:
        if (media)
            setSpeed(1);
        return true;
    case PlayerAction::SubtitleDelayLess:
        add("sub-delay", DelayBack);
        return true;
    case PlayerAction::SubtitleDelayMore:
        add("sub-delay", DelayStep);
        return true;
    case PlayerAction::AudioDelayLess:
        add("audio-delay", DelayBack);
        return true;
    case PlayerAction::AudioDelayMore:
        add("audio-delay", DelayStep);
        return true;
    case PlayerAction::Screenshot:
        screenshot();
        return true;
    case PlayerAction::NextFile:
        stepFile(1);
        return true;
    case PlayerAction::PreviousFile:
        stepFile(-1);
        return true;
    case PlayerAction::Resume:
        resume();
        return true;
    default:
        return false;
    }
}

void MpvWatching::setSpeed(double speed)
{
    const QByteArray value = QByteArray::number(speed, 'g', 10);
    engine_.run({"osd-msg", "set", "speed", value.constData()});
}

void MpvWatching::resume()
{
    if (!offer_ || session_.stage() != PlaybackSession::Stage::Open)
        return;
    session_.seekTo(*offer_);
    message(tr("Resumed from %1").arg(durationText(*offer_)));
}

void MpvWatching::stepFile(int step)
{
    if (local_.empty() || !session_.hasMedia())
        return;
    const std::uint64_t generation = session_.generation();
    findNeighbour(local_, step, this, [this, generation](FileStep found) {
        // Another file opened meanwhile: this answer is about a folder no longer wanted.
        if (session_.generation() != generation)
            return;
        if (!found.path) {
            message(found.step > 0 ? tr("This is the last file in the folder")
                                   : tr("This is the first file in the folder"));
            return;
        }
        stepped_ = *found.path;
        emit fileRequested(*found.path);
    });
}

bool MpvWatching::addSubtitle(const std::string& path)
{
    if (!isSubtitleName(path) || !session_.hasMedia())
        return false;
    Pending pending;
    pending.request = nextRequest_++;
    pending.kind = Pending::Kind::Subtitle;
    pending.name = fileName(path);
    pending_.push_back(pending);
    engine_.run(pending.request, {"sub-add", path.c_str(), "select"});
    return true;
}

void MpvWatching::screenshot()
{
    if (session_.stage() != PlaybackSession::Stage::Open || !session_.picture())
        return;
    QString folder = picturesFolder_;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty())
        folder = QDir::homePath() + QStringLiteral("/Pictures");
    QDir().mkpath(folder);
    const QFileInfo where(folder);
    if (!where.isDir() || !where.isWritable()) {
        const QString error = tr("the folder %1 cannot be written").arg(QDir::toNativeSeparators(folder));
        message(tr("Screenshot not saved: %1").arg(error), 3 * MessageMs);
        emit screenshotTaken(QString(), error);
        return;
    }
    const QString stem = local_.empty() ? QStringLiteral("zelvo") : QFileInfo(QString::fromStdString(local_)).completeBaseName();
    const QString base = stem + QLatin1Char(' ') + namePosition(session_.position());
    QString file = folder + QLatin1Char('/') + base + QStringLiteral(".png");
    for (int n = 2; QFileInfo::exists(file); ++n)
        file = folder + QLatin1Char('/') + base + QStringLiteral(" (%1).png").arg(n);
    Pending pending;
    pending.request = nextRequest_++;
    pending.name = file;
    pending_.push_back(pending);
    const QByteArray path = QFile::encodeName(file);
    // The picture as shown, subtitles drawn in, at the video's own size.
    engine_.run(pending.request, {"no-osd", "screenshot-to-file", path.constData(), "subtitles"});
}

void MpvWatching::answered(std::uint64_t request, const QString& error)
{
    const auto it = std::find_if(pending_.begin(), pending_.end(),
                                 [request](const Pending& pending) { return pending.request == request; });
    if (it == pending_.end())
        return;
    const Pending pending = *it;
    pending_.erase(it);
    if (pending.kind == Pending::Kind::Subtitle) {
        message(error.isEmpty() ? tr("Subtitle: %1").arg(pending.name)
                                : tr("Cannot load the subtitle %1: %2").arg(pending.name, error),
                error.isEmpty() ? MessageMs : 3 * MessageMs);
        return;
    }
    const QString name = QFileInfo(pending.name).fileName();
    if (error.isEmpty())
        message(tr("Screenshot saved: %1").arg(name), 2 * MessageMs);
    else
        message(tr("Screenshot not saved: %1 cannot be written (%2)").arg(pending.name, error), 3 * MessageMs);
    emit screenshotTaken(pending.name, error);
}

void MpvWatching::setResumeAutomatically(bool on)
{
    preferences_.resumeAutomatically = on;
    if (store_)
        Preferences::save(*store_, appName_, Preferences::ResumeKey, on, [this](const std::string& what) {
            failed("The setting cannot be kept for the next time", std::runtime_error(what));
        });
}

void MpvWatching::setPlayNextAtEnd(bool on)
{
    preferences_.playNextAtEnd = on;
    if (store_)
        Preferences::save(*store_, appName_, Preferences::NextKey, on, [this](const std::string& what) {
            failed("The setting cannot be kept for the next time", std::runtime_error(what));
        });
}

void MpvWatching::addMenuEntries(QMenu& menu)
{
    menu.addSeparator();
    if (offer_ && session_.stage() == PlaybackSession::Stage::Open) {
        QAction* resumeAction = menu.addAction(tr("Resume from %1").arg(durationText(*offer_)));
        resumeAction->setObjectName(QStringLiteral("resume"));
        connect(resumeAction, &QAction::triggered, this, &MpvWatching::resume);
    }
    const auto toggle = [&](const QString& text, const char* name, bool on, void (MpvWatching::*set)(bool)) {
        QAction* action = menu.addAction(text);
        action->setObjectName(QLatin1String(name));
        action->setCheckable(true);
        action->setChecked(on);
        connect(action, &QAction::toggled, this, set);
    };
    toggle(tr("Resume Automatically"), "resumeAutomatically", preferences_.resumeAutomatically,
           &MpvWatching::setResumeAutomatically);
    toggle(tr("Play Next File at End"), "playNextAtEnd", preferences_.playNextAtEnd, &MpvWatching::setPlayNextAtEnd);

    using forms::PlayerAction;
    const bool media = session_.hasMedia();
    const auto entry = [&](QMenu& into, const QString& text, const char* name, PlayerAction action) {
        QAction* item = into.addAction(text);
        item->setObjectName(QLatin1String(name));
        item->setEnabled(media);
        connect(item, &QAction::triggered, this, [this, action] { act(action); });
    };
    QMenu* speedMenu = menu.addMenu(tr("Speed (%1x)").arg(speed_, 0, 'f', 2));
    speedMenu->setObjectName(QStringLiteral("speedMenu"));
    entry(*speedMenu, tr("Slower\t["), "slower", PlayerAction::SpeedDown);
    entry(*speedMenu, tr("Faster\t]"), "faster", PlayerAction::SpeedUp);
    entry(*speedMenu, tr("Half\t{"), "half", PlayerAction::SpeedHalf);
    entry(*speedMenu, tr("Double\t}"), "double", PlayerAction::SpeedDouble);
    entry(*speedMenu, tr("Normal Speed\t\\"), "normalSpeed", PlayerAction::SpeedNormal);
    QMenu* sync = menu.addMenu(tr("Sync"));
    sync->setObjectName(QStringLiteral("syncMenu"));
    entry(*sync, tr("Subtitles Earlier\tz"), "subtitleEarlier", PlayerAction::SubtitleDelayLess);
    entry(*sync, tr("Subtitles Later\tx"), "subtitleLater", PlayerAction::SubtitleDelayMore);
    entry(*sync, tr("Audio Earlier\t-"), "audioEarlier", PlayerAction::AudioDelayLess);
    entry(*sync, tr("Audio Later\t+"), "audioLater", PlayerAction::AudioDelayMore);
    QAction* load = menu.addAction(tr("Load Subtitle…"));
    load->setObjectName(QStringLiteral("loadSubtitle"));
    load->setEnabled(media);
    connect(load, &QAction::triggered, this, [this] {
        // After the menu has gone: the dialog's own event loop must not run inside the menu's.
        QTimer::singleShot(0, this, [this] {
            const QString folder = QFileInfo(QString::fromStdString(local_)).absolutePath();
            const QString chosen = QFileDialog::getOpenFileName(
                &control_, tr("Load Subtitle"), local_.empty() ? QString() : folder,
                tr("Subtitles (*.srt *.ass *.ssa *.sub *.vtt);;All Files (*)"));
            if (!chosen.isEmpty() && !addSubtitle(chosen.toStdString()))
                message(tr("Not a subtitle file: %1").arg(QFileInfo(chosen).fileName()), 2 * MessageMs);
        });
    });
    entry(menu, tr("Screenshot\ts"), "screenshot", PlayerAction::Screenshot);
}

} // namespace media
