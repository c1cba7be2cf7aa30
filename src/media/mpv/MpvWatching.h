#pragma once

#include "FileSteps.h"
#include "Preferences.h"
#include "Resume.h"
#include "VolumeMemory.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QMenu;
class QWidget;

namespace forms {
enum class PlayerAction;
}

namespace platform {
class SettingsStore;
}

namespace media {

class MpvEngine;
class PlaybackSession;

// What makes watching a film more than playing a file: messages on the
// picture (mpv's on-screen display), the place a film was left, the next file
// in its folder, speed, subtitle and audio sync, added subtitles and
// screenshots. The control hands it the keys and events these need.
class MpvWatching : public QObject {
    Q_OBJECT
  public:
    // How long messages stay on the picture.
    static constexpr int MessageMs = 1000;
    static constexpr int OfferMs = 8000;

    // The owner calls closing() before the engine and the session go.
    MpvWatching(MpvEngine& engine, PlaybackSession& session, QWidget& control);

    // Positions and the menu's toggles live in that store; report tells, once, that it failed.
    void rememberIn(platform::SettingsStore& store, const std::string& appName,
                    std::function<void(const std::string&)> report);

    // Another file is about to open at url (an absolute path for a local file):
    // the one open now is closed first.
    void opening(const std::string& url);
    // The open file is closed (stopped, replaced, the player quits): where it
    // was left is remembered, or forgotten when it was watched to the end.
    void closing();

    // The new keys (speed, sync, screenshot, files, resume); false for others.
    bool act(forms::PlayerAction action);
    // step files on in the open file's folder, or back.
    void stepFile(int step);
    // Adds the subtitle file to what plays; false when path is not a subtitle
    // file or nothing plays (the caller then opens it as media).
    bool addSubtitle(const std::string& path);
    void screenshot();
    void showVolume(VolumeLevel level);
    // The entries this adds to the picture's right-click menu.
    void addMenuEntries(QMenu& menu);

    double speed() const { return speed_; }
    void setSpeed(double speed);
    // Where the open file may be resumed from, if anywhere.
    std::optional<double> resumeOffer() const { return offer_; }
    const Preferences& preferences() const { return preferences_; }
    void setResumeAutomatically(bool on);
    void setPlayNextAtEnd(bool on);
    // Where screenshots go; the user's Pictures folder unless a test says otherwise.
    void setPicturesFolder(const QString& folder) { picturesFolder_ = folder; }

  signals:
    // A file of the folder to open as File, Open would open it.
    void fileRequested(const std::string& path);
    // A message went to the picture (also for tests: what it said).
    void messageShown(const QString& text);
    void speedChanged(double speed);
    // A screenshot was written to file, or could not be (error says why).
    void screenshotTaken(const QString& file, const QString& error);

  private:
    void message(const QString& text, int milliseconds = MessageMs);
    void opened();
    void ended(bool atEnd);
    void answered(std::uint64_t request, const QString& error);
    void failed(const std::string& what, const std::exception& error);
    void resume();

    MpvEngine& engine_;
    PlaybackSession& session_;
    QWidget& control_;
    platform::SettingsStore* store_ = nullptr;
    std::string appName_;
    std::function<void(const std::string&)> report_;
    bool reported_ = false;

    ResumePositions positions_;
    Preferences preferences_;
    // The open file as this run met it.
    std::string local_;
    FileStamp stamp_;
    std::optional<double> offer_;
    bool startSet_ = false;
    std::string stepped_; // a file opened by stepping, named when it opens
    std::uint64_t endStepped_ = 0;
    double speed_ = 1;
    QString picturesFolder_;

    // Commands whose answers are waited for.
    std::uint64_t nextRequest_ = 1;
    struct Pending {
        std::uint64_t request = 0;
        enum class Kind { Screenshot, Subtitle } kind = Kind::Screenshot;
        QString name;
    };
    std::vector<Pending> pending_;
};

} // namespace media
