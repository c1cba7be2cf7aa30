#include "media/MpvControl.h"

namespace media {

MpvControl::MpvControl(const platform::SystemMetrics& metrics, platform::MediaPaths&, QWidget* parent)
    : QWidget(parent), metrics_(metrics)
{
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
    setFocusPolicy(Qt::StrongFocus);
}

void MpvControl::MovieSize(std::int32_t size)
{
    const float factor = size == 1 ? 2.0f : 1.0f;
    setSize(320 * 15 * factor, 240 * 15 * factor);
}

}  // namespace media
