#pragma once

#include <QWidget>

#include <optional>

class QLabel;
class QSlider;
class QToolButton;

namespace media {

// Play, pause, stop, a seek bar and the length of the media: mouse only, so
// that typed keys stay the window's.
class TransportBar : public QWidget {
    Q_OBJECT
  public:
    explicit TransportBar(QWidget* parent = nullptr);

    // Whether there is media to drive; without it the bar is shown but inert.
    void setMediaReady(bool ready);
    void setPaused(bool paused);
    void setDuration(std::optional<double> seconds);
    void setPosition(double seconds);
    // The media changed under a pointer resting on the seek bar: seekHovered
    // (or seekHoverEnded) again for where it rests.
    void hoverAgain();

  signals:
    void playClicked();
    void pauseClicked();
    void stopClicked();
    // exact is false while the handle is being dragged: a quick keyframe seek.
    void seekRequested(double seconds, bool exact);
    // The pointer is over the seek bar at the time it would seek to there;
    // pointer and bar are global.
    void seekHovered(double seconds, QPoint pointer, QRect bar);
    void seekHoverEnded();

  private:
    QToolButton* addButton(const QString& name, int standardIcon, const QString& tip);
    void showState();

    QToolButton* play_;
    QToolButton* pause_;
    QToolButton* stop_;
    QSlider* seek_;
    QLabel* duration_;
    bool ready_ = false;
    bool paused_ = true;
};

} // namespace media
