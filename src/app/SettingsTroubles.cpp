#include "SettingsTroubles.h"

#include <QEvent>
#include <QMessageBox>
#include <QTimer>

#include <utility>

namespace app {

void SettingsTroubles::tell(const std::string& trouble)
{
    waiting_.push_back(trouble + " Until this is put right, settings such as the recent files and the volume are "
                                 "not remembered.");
    QTimer::singleShot(0, this, &SettingsTroubles::tellWaiting);
}

void SettingsTroubles::windowShown(QWidget& window)
{
    window_ = &window;
    window.installEventFilter(this);
    QTimer::singleShot(0, this, &SettingsTroubles::tellWaiting);
}

void SettingsTroubles::tellWaiting()
{
    if (!window_ || std::exchange(telling_, true))
        return;
    while (!waiting_.empty()) {
        const std::string text = std::move(waiting_.front());
        waiting_.pop_front();
        boxes_.MsgBox(text);
    }
    telling_ = false;
}

bool SettingsTroubles::eventFilter(QObject* watched, QEvent* event)
{
    // A film opening at start-up fits and centres the window after the box came up.
    if (telling_ && watched == window_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        const QRect frame = window_->frameGeometry();
        for (QMessageBox* box : window_->findChildren<QMessageBox*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (box->isVisible())
                box->move(frame.center() - QRect(QPoint(), box->frameGeometry().size()).center());
        }
    }
    return false;
}

} // namespace app
