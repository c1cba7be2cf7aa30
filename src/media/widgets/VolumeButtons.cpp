#include "VolumeButtons.h"

#include <QHBoxLayout>
#include <QSlider>
#include <QStyle>
#include <QToolButton>

namespace media {

VolumeButtons::VolumeButtons(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    mute_ = new QToolButton(this);
    mute_->setObjectName(QStringLiteral("mute"));
    mute_->setAutoRaise(true);
    mute_->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(mute_);
    connect(mute_, &QToolButton::clicked, this, &VolumeButtons::muteClicked);

    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName(QStringLiteral("volume"));
    slider_->setFocusPolicy(Qt::NoFocus);
    slider_->setRange(0, 100);
    slider_->setSingleStep(5);
    slider_->setPageStep(10);
    slider_->setFixedWidth(72);
    layout->addWidget(slider_);
    // Programmatic moves are made with the signals blocked: only the user's hand asks.
    connect(slider_, &QSlider::valueChanged, this, &VolumeButtons::volumeRequested);
    showLevel(100, false);
}

void VolumeButtons::showLevel(int volume, bool muted)
{
    const QSignalBlocker quiet(slider_);
    slider_->setValue(volume);
    mute_->setIcon(style()->standardIcon(muted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
    mute_->setToolTip(muted ? tr("Sound off: click to turn it on") : tr("Mute"));
    slider_->setToolTip(tr("Volume %1 %").arg(volume));
}

} // namespace media
