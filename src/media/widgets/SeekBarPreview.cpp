#include "SeekBarPreview.h"

#include "PositionText.h"
#include "PreviewSize.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace media {

namespace {

constexpr int Border = 1;

} // namespace

SeekBarPreview::SeekBarPreview(QWidget* parent) : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("seekPreview"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

int SeekBarPreview::textHeight() const
{
    return fontMetrics().height() + 4;
}

void SeekBarPreview::showAt(QPoint pointer, int barTop, double seconds, QSize picture)
{
    const QString time = timeText(seconds);
    const int textWidth = fontMetrics().horizontalAdvance(time) + 12;
    if (picture != pictureSize_) {
        pictureSize_ = picture;
        // A picture of another size is not this one's.
        if (!picture_.isNull() && picture_.deviceIndependentSize().toSize() != picture)
            picture_ = QImage();
    }
    const QSize size(std::max(picture.width(), textWidth) + 2 * Border, picture.height() + textHeight() + 2 * Border);
    const QScreen* on = screen();
    if (QScreen* under = QGuiApplication::screenAt(pointer))
        on = under;
    const QRect screenRect = on ? on->geometry() : QRect(QPoint(), size);
    const QRect place(previewTopLeft(pointer, barTop, size, screenRect), size);
    const bool changed = time != time_;
    time_ = time;
    if (geometry() != place)
        setGeometry(place);
    if (!isVisible())
        show();
    else if (changed)
        update();
}

void SeekBarPreview::setPicture(const QImage& picture)
{
    picture_ = picture;
    // Drawn at device pixels for the size shown: one pixel of it to one of the screen.
    if (!pictureSize_.isEmpty() && !picture_.isNull())
        picture_.setDevicePixelRatio(double(picture_.width()) / pictureSize_.width());
    update();
}

void SeekBarPreview::clearPicture()
{
    picture_ = QImage();
    update();
}

void SeekBarPreview::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setPen(QColor(128, 128, 128));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRect pictureRect(Border + (width() - 2 * Border - pictureSize_.width()) / 2, Border,
                            pictureSize_.width(), pictureSize_.height());
    if (!picture_.isNull() && !pictureSize_.isEmpty())
        painter.drawImage(pictureRect, picture_);
    painter.setPen(Qt::white);
    painter.drawText(QRect(Border, Border + pictureSize_.height(), width() - 2 * Border, textHeight()),
                     Qt::AlignCenter, time_);
}

} // namespace media
