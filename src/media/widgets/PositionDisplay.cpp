#include "PositionDisplay.h"

#include <QPainter>

#include <cstdio>

namespace media {

PositionDisplay::PositionDisplay(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setFixedHeight(sizeHint().height());
    // Painted whole in paintEvent; nothing underneath needs drawing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor PositionDisplay::fromBgr(std::int32_t color)
{
    const auto value = static_cast<std::uint32_t>(color);
    return QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff);
}

void PositionDisplay::setText(const QString& text)
{
    if (text == text_)
        return;
    text_ = text;
    // For scripts that test the player: ZELVO_TRACE_DISPLAY=1 prints what the display reads.
    static const bool trace = qEnvironmentVariableIsSet("ZELVO_TRACE_DISPLAY");
    if (trace)
        std::fprintf(stderr, "display: %s\n", qPrintable(text_));
    setToolTip(text_);
    update();
}

void PositionDisplay::setColors(std::int32_t fore, std::int32_t back)
{
    fore_ = fromBgr(fore);
    back_ = fromBgr(back);
    update();
}

QSize PositionDisplay::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(QStringLiteral("0:00:00.0")) + 12, fontMetrics().height() + 8};
}

QSize PositionDisplay::minimumSizeHint() const
{
    return {0, sizeHint().height()};
}

void PositionDisplay::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), back_);
    painter.setPen(fore_);
    const QRect area = rect().adjusted(6, 0, -6, 0);
    painter.drawText(area, Qt::AlignVCenter | Qt::AlignLeft,
                     fontMetrics().elidedText(text_, Qt::ElideMiddle, area.width()));
}

} // namespace media
