#include "QtGeometry.h"

#include "Twips.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

namespace forms::qt {

int toPixels(float twips)
{
    return static_cast<int>(std::lround(twips / TwipsPerPixel));
}

float toTwips(int pixels)
{
    return static_cast<float>(pixels) * TwipsPerPixel;
}

QSize decorations(const QWidget& window, QSize announced)
{
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    if (window.isVisible() && !frame.isNull())
        return {std::max(0, frame.width()), std::max(0, frame.height())};
    return announced;
}

void showInState(QWidget& window, WindowState state)
{
    switch (state) {
    case WindowState::Normal:
        window.showNormal();
        break;
    case WindowState::Minimized:
        window.showMinimized();
        break;
    case WindowState::Maximized:
        window.showMaximized();
        break;
    }
}

} // namespace forms::qt
