#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QSizeF>

namespace media {

// The seek-bar preview's picture in logical pixels: about a sixth of the width
// the film is shown at (area: the video area, black bars included), 160 to 320
// wide, the film's own shape (film: its display size, rotation applied).
// Empty when the film has no size.
QSize previewPictureSize(QSize film, QSizeF area);

// Where a preview of this size goes: centred over the pointer just above the
// bar (barTop), kept inside the screen; below the pointer only when there is
// no room above.
QPoint previewTopLeft(QPoint pointer, int barTop, QSize preview, QRect screen);

} // namespace media
