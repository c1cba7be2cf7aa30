#include "FullScreenPanels.h"

#include <QBoxLayout>
#include <QEvent>
#include <QWidget>

namespace media {

FullScreenPanels::FullScreenPanels(QWidget& control, QBoxLayout& layout, QWidget& panels, QWidget& picture,
                                   std::function<int()> height, int pointerIdleMilliseconds)
    : QObject(&control), control_(control), layout_(layout), panels_(panels), picture_(picture),
      height_(std::move(height))
{
    pointerIdle_.setSingleShot(true);
    pointerIdle_.setInterval(pointerIdleMilliseconds);
    connect(&pointerIdle_, &QTimer::timeout, this, [this] {
        // Not while it rests on the panels, which it is there to use.
        if (fullScreen_ && !(panels_.isVisible() && panels_.underMouse()))
            hidePointer(true);
    });
    panels_.installEventFilter(this);
}

void FullScreenPanels::setFullScreen(bool on)
{
    if (on == fullScreen_)
        return;
    fullScreen_ = on;
    if (on) {
        layout_.removeWidget(&panels_);
        panels_.hide();
        place();
        pointerIdle_.start();
    } else {
        pointerIdle_.stop();
        hidePointer(false);
        layout_.addWidget(&panels_);
        panels_.show();
    }
}

void FullScreenPanels::pointerMoved(QPoint inControl)
{
    if (!fullScreen_)
        return;
    hidePointer(false);
    pointerIdle_.start();
    // At the bottom edge the panels come up; anywhere above them they go.
    if (inControl.y() >= control_.height() - panels_.height())
        show(true);
    else if (panels_.isVisible() && !panels_.geometry().contains(inControl))
        show(false);
}

void FullScreenPanels::controlResized()
{
    if (fullScreen_)
        place();
}

bool FullScreenPanels::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &panels_ && event->type() == QEvent::Leave && fullScreen_)
        show(false);
    return false;
}

void FullScreenPanels::place()
{
    const int height = height_();
    panels_.setGeometry(0, control_.height() - height, control_.width(), height);
}

void FullScreenPanels::show(bool shown)
{
    if (shown == panels_.isVisible())
        return;
    if (shown) {
        place();
        panels_.show();
        panels_.raise();
    } else {
        panels_.hide();
    }
}

void FullScreenPanels::hidePointer(bool hidden)
{
    if (hidden)
        picture_.setCursor(Qt::BlankCursor);
    else
        picture_.unsetCursor();
}

} // namespace media
