#include "TransportBar.h"

#include "PositionText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QToolButton>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace media {

namespace {

// The seek bar counts milliseconds.
constexpr double StepsPerSecond = 1000.0;

// A seek bar that jumps to where it is clicked, as media players' do, instead
// of creeping towards it a page at a time.
class SeekSlider : public QSlider {
  public:
    using QSlider::QSlider;

    // The value a click at x gives: the handle's centre goes there.
    int valueAt(int x)
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
        const QRect groove = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
        const int span = groove.width() - handle.width();
        return QStyle::sliderValueFromPosition(minimum(), maximum(), x - groove.x() - handle.width() / 2, span);
    }

    // The pointer over the bar (local position), and gone from it.
    std::function<void(QPoint)> hovered;
    std::function<void()> left;

    // A pointer that rests on the bar sends no move when the media under it
    // changes or the bar moves under it: it is reported again from where it was
    // last seen on the screen.
    void hoverAgain()
    {
        if (pointerOver_)
            reportPointer(mapFromGlobal(lastPointer_).toPoint());
    }

  protected:
    // Seen here, before QWidget drops the moves a disabled bar gets (no media
    // yet), so that the place is right once the media opens.
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter) {
            pointerOver_ = true;
            lastPointer_ = static_cast<QSinglePointEvent*>(event)->globalPosition();
        }
        return QSlider::event(event);
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && maximum() > minimum()) {
            QStyleOptionSlider option;
            initStyleOption(&option);
            const QRect handle = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
            const QPoint at = event->position().toPoint();
            // The handle is now under the pointer: the press below takes hold of it.
            if (!handle.contains(at))
                setSliderPosition(valueAt(at.x()));
        }
        QSlider::mousePressEvent(event);
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        QSlider::mouseMoveEvent(event);
        reportPointer(event->position().toPoint());
    }
    void leaveEvent(QEvent* event) override
    {
        QSlider::leaveEvent(event);
        pointerOver_ = false;
        if (left)
            left();
    }
    void hideEvent(QHideEvent* event) override
    {
        QSlider::hideEvent(event);
        pointerOver_ = false;
        if (left)
            left();
    }
    // The window fitted round new media: the bar's width, and so the time under the pointer, changed.
    void resizeEvent(QResizeEvent* event) override
    {
        QSlider::resizeEvent(event);
        hoverAgain();
    }

  private:
    void reportPointer(QPoint at)
    {
        if (hovered && isEnabled() && maximum() > minimum() && rect().contains(at))
            hovered(at);
        else if (left)
            left();
    }

    QPointF lastPointer_;
    bool pointerOver_ = false;
};

} // namespace

TransportBar::TransportBar(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 4, 1);
    layout->setSpacing(2);

    play_ = addButton(QStringLiteral("play"), QStyle::SP_MediaPlay, tr("Play"));
    pause_ = addButton(QStringLiteral("pause"), QStyle::SP_MediaPause, tr("Pause"));
    stop_ = addButton(QStringLiteral("stop"), QStyle::SP_MediaStop, tr("Stop"));
    connect(play_, &QToolButton::clicked, this, &TransportBar::playClicked);
    connect(pause_, &QToolButton::clicked, this, &TransportBar::pauseClicked);
    connect(stop_, &QToolButton::clicked, this, &TransportBar::stopClicked);

    auto* seek = new SeekSlider(Qt::Horizontal, this);
    seek_ = seek;
    // The pointer resting or moving over the bar asks for a preview of that time.
    seek->setMouseTracking(true);
    seek->hovered = [this, seek](QPoint at) {
        const QRect bar(seek->mapToGlobal(QPoint(0, 0)), seek->size());
        emit seekHovered(seek->valueAt(at.x()) / StepsPerSecond, seek->mapToGlobal(at), bar);
    };
    seek->left = [this] { emit seekHoverEnded(); };
    seek_->setObjectName(QStringLiteral("seek"));
    seek_->setFocusPolicy(Qt::NoFocus);
    seek_->setMinimumWidth(16);
    seek_->setRange(0, 0);
    seek_->setSingleStep(static_cast<int>(StepsPerSecond));
    seek_->setPageStep(static_cast<int>(10 * StepsPerSecond));
    layout->addWidget(seek_, 1);
    connect(seek_, &QSlider::sliderMoved, this,
            [this](int value) { emit seekRequested(value / StepsPerSecond, false); });
    connect(seek_, &QSlider::sliderReleased, this,
            [this] { emit seekRequested(seek_->value() / StepsPerSecond, true); });
    // The mouse wheel steps the handle: seek there too.
    connect(seek_, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove && action != QAbstractSlider::SliderNoAction)
            emit seekRequested(seek_->sliderPosition() / StepsPerSecond, true);
    });

    duration_ = new QLabel(this);
    duration_->setObjectName(QStringLiteral("duration"));
    duration_->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(duration_);

    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setFixedHeight(sizeHint().height());
    setDuration(std::nullopt);
    setMediaReady(false);
}

QToolButton* TransportBar::addButton(const QString& name, int standardIcon, const QString& tip)
{
    auto* button = new QToolButton(this);
    button->setObjectName(name);
    button->setIcon(style()->standardIcon(static_cast<QStyle::StandardPixmap>(standardIcon)));
    button->setToolTip(tip);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    layout()->addWidget(button);
    return button;
}

void TransportBar::setMediaReady(bool ready)
{
    ready_ = ready;
    showState();
}

void TransportBar::setPaused(bool paused)
{
    paused_ = paused;
    showState();
}

void TransportBar::showState()
{
    // The button that would change nothing is the one greyed out.
    play_->setEnabled(ready_ && paused_);
    pause_->setEnabled(ready_ && !paused_);
    stop_->setEnabled(ready_);
    seek_->setEnabled(ready_);
}

void TransportBar::setDuration(std::optional<double> seconds)
{
    duration_->setText(durationText(seconds));
    seek_->setRange(0, seconds && *seconds > 0 ? static_cast<int>(std::lround(*seconds * StepsPerSecond)) : 0);
}

void TransportBar::hoverAgain()
{
    static_cast<SeekSlider*>(seek_)->hoverAgain();
}

void TransportBar::setPosition(double seconds)
{
    // The user's hand on the handle wins over playback.
    if (seek_->isSliderDown())
        return;
    const int value = static_cast<int>(std::lround(seconds * StepsPerSecond));
    // Moved only when the handle would move by a pixel: repainting the bar for
    // every frame costs more than the picture's own drawing saves.
    const int perPixel = (seek_->maximum() - seek_->minimum()) / std::max(1, seek_->width());
    if (std::abs(value - seek_->value()) <= perPixel && value != seek_->minimum() && value != seek_->maximum())
        return;
    const QSignalBlocker quiet(seek_);
    seek_->setValue(value);
}

} // namespace media
