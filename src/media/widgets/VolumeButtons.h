#pragma once

#include <QWidget>

class QSlider;
class QToolButton;

namespace media {

// The mute button, its icon showing the state, and the volume slider, 0 to 100 %.
// Mouse only, like the rest of the transport bar.
class VolumeButtons : public QWidget {
    Q_OBJECT
  public:
    explicit VolumeButtons(QWidget* parent = nullptr);

    void showLevel(int volume, bool muted);

  signals:
    void volumeRequested(int volume);
    void muteClicked();

  private:
    QToolButton* mute_;
    QSlider* slider_;
};

} // namespace media
