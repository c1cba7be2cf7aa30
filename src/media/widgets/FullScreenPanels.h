#pragma once

#include <QObject>
#include <QPoint>
#include <QTimer>

#include <functional>

class QBoxLayout;
class QWidget;

namespace media {

// The panels under the picture (position display and transport bar) in full
// screen: taken out of the layout, they come over the picture's bottom edge
// while the pointer is there, and the pointer hides after a while at rest.
class FullScreenPanels : public QObject {
    Q_OBJECT
  public:
    static constexpr int PointerIdleMilliseconds = 2000;

    // control holds panels in layout; picture is the widget that gets the
    // mouse; height tells the panels' height as laid out.
    FullScreenPanels(QWidget& control, QBoxLayout& layout, QWidget& panels, QWidget& picture,
                     std::function<int()> height, int pointerIdleMilliseconds = PointerIdleMilliseconds);

    void setFullScreen(bool on);
    bool fullScreen() const { return fullScreen_; }
    // The pointer moved over the picture, at this point of the control.
    void pointerMoved(QPoint inControl);
    // The control changed size.
    void controlResized();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void place();
    void show(bool shown);
    void hidePointer(bool hidden);

    QWidget& control_;
    QBoxLayout& layout_;
    QWidget& panels_;
    QWidget& picture_;
    std::function<int()> height_;
    QTimer pointerIdle_;
    bool fullScreen_ = false;
};

} // namespace media
