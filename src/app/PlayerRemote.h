#pragma once

#include "Form1.h"
#include "MpvControl.h"
#include "RemoteControl.h"
#include "ScreenSaver.h"

#include <QObject>
#include <QWidget>

#include <string>

namespace app {

// The player as the desktop drives it: transport actions go to the media
// control, track steps to the window's own key procedures, through its dispatcher.
class PlayerRemote : public QObject, public platform::RemoteControl {
    Q_OBJECT
  public:
    PlayerRemote(media::MpvControl& control, player::Form1& form1, QWidget& window);
    ~PlayerRemote() override;

    platform::PlaybackStatus status() const override;
    platform::TrackInfo track() const override;
    std::int64_t positionUs() const override;
    double volume() const override;
    double rate() const override;
    void setRate(double rate) override;
    bool canPlay() const override;
    bool canPause() const override;
    bool canSeek() const override;
    bool canGoNext() const override;
    bool canGoPrevious() const override;

    void play() override;
    void pause() override;
    void stop() override;
    void setPositionUs(std::int64_t position) override;
    void setVolume(double volume) override;
    void next() override;
    void previous() override;
    void open(const std::string& path) override;
    void raise() override;
    void quit() override;

  private:
    void notify();

    media::MpvControl& control_;
    player::Form1& form1_;
    QWidget& window_;
};

// The media's name as a desktop widget shows it: the file's name, or the Video CD track.
std::string trackTitle(const std::string& path);

// Keeps the screen on exactly while a picture plays.
void keepScreenOnWhilePlaying(media::MpvControl& control, platform::ScreenSaverInhibitor& inhibitor);

} // namespace app
