#include "QtSystemMetrics.h"

#include <QGuiApplication>
#include <QScreen>

namespace platform {

int QtSystemMetrics::GetSystemMetrics(int index) const
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 0;
    switch (index) {
    case SM_CXSCREEN:
        return screen->geometry().width();
    case SM_CYSCREEN:
        return screen->geometry().height();
    default:
        return 0;
    }
}

} // namespace platform
