#include "VideoArea.h"

#include <algorithm>
#include <cmath>

namespace media {

namespace {

QSizeF fitWithin(QSizeF picture, double boundWidth, double boundHeight)
{
    if (picture.width() <= 0 || picture.height() <= 0)
        return {0, 0};
    const double scale = std::min(boundWidth / picture.width(), boundHeight / picture.height());
    // The small allowance keeps a side that meets its bound exactly from losing a pixel to rounding.
    return {std::floor(picture.width() * scale + 1e-6), std::floor(picture.height() * scale + 1e-6)};
}

} // namespace

std::optional<QSizeF> videoAreaFor(std::int32_t movieSize, QSizeF picture, QSize screen)
{
    const double width = screen.width();
    const double height = screen.height();
    switch (movieSize) {
    case 0:
        return picture;
    case 1:
        return picture * 2;
    case 2:
        return fitWithin(picture, width / 4, height / 4);
    case 3:
        return fitWithin(picture, width / 2, height / 2);
    case 4:
        return fitWithin(picture, width * std::sqrt(0.5), height * std::sqrt(0.5));
    default:
        return std::nullopt;
    }
}

} // namespace media
