#include "PreviewSize.h"

#include <algorithm>
#include <cmath>

namespace media {

namespace {

constexpr int Smallest = 160;
constexpr int Largest = 320;
// Between the preview and the bar.
constexpr int Gap = 4;
// Room left under the pointer for the pointer itself.
constexpr int PointerHeight = 32;

} // namespace

QSize previewPictureSize(QSize film, QSizeF area)
{
    if (film.width() <= 0 || film.height() <= 0)
        return {};
    const double aspect = double(film.width()) / film.height();
    // The width the film takes inside the area, bars left out.
    double shown = area.width();
    if (area.height() > 0 && area.height() * aspect < shown)
        shown = area.height() * aspect;
    const int width = std::clamp(static_cast<int>(std::lround(shown / 6)), Smallest, Largest);
    const int height = std::max(1, static_cast<int>(std::lround(width / aspect)));
    return {width, height};
}

QPoint previewTopLeft(QPoint pointer, int barTop, QSize preview, QRect screen)
{
    // Wider than the screen: its left edge stays on it.
    const int right = std::max(screen.left(), screen.right() + 1 - preview.width());
    const int x = std::clamp(pointer.x() - preview.width() / 2, screen.left(), right);
    int y = barTop - Gap - preview.height();
    if (y < screen.top())
        y = std::min(pointer.y() + PointerHeight, screen.bottom() + 1 - preview.height());
    return {x, std::max(y, screen.top())};
}

} // namespace media
