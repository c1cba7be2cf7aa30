#pragma once

#include <QSize>
#include <QSizeF>

#include <cstdint>
#include <optional>

namespace media {

// The size of the video area for a MovieSize value, in logical pixels:
// 0 the picture's own size, 1 double, 2 / 3 / 4 the largest size with the
// picture's aspect that fits a sixteenth / a quarter / half of the screen's area
// (screen sides times 1/4, 1/2 and the square root of 1/2). The fitted sizes are
// rounded down to whole pixels so that they stay within their bounds.
// Empty for a value that names no size.
std::optional<QSizeF> videoAreaFor(std::int32_t movieSize, QSizeF picture, QSize screen);

} // namespace media
