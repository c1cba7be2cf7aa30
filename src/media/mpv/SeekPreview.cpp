#include "SeekPreview.h"

#include "PlaybackSession.h"
#include "PreviewEngine.h"
#include "PreviewSize.h"
#include "SeekBarPreview.h"
#include "SeekPreviewSetting.h"
#include "TransportBar.h"

#include <QMenu>

#include <cmath>
#include <utility>

namespace media {

SeekPreview::SeekPreview(TransportBar& bar, const PlaybackSession& session, QWidget& picture, QWidget* parent)
    : QObject(parent), session_(session), picture_(picture)
{
    window_ = new SeekBarPreview(parent);
    window_->hide();
    connect(&bar, &TransportBar::seekHovered, this, &SeekPreview::hovered);
    connect(&bar, &TransportBar::seekHoverEnded, this, &SeekPreview::hide);
    connect(&session, &PlaybackSession::mediaChanged, this, &SeekPreview::mediaChanged);
}

SeekPreview::~SeekPreview()
{
    // The engine is a child: it ends with this, waiting for its thread if it must.
}

void SeekPreview::streamAdded(const std::string& url, StreamProtocol::Opener opener)
{
    streamUrl_ = url;
    streamOpener_ = std::move(opener);
}

void SeekPreview::setEnabled(bool on)
{
    enabled_ = on;
    if (!on) {
        hide();
        retireEngine();
    }
    if (setting_)
        setting_->save(on);
}

void SeekPreview::rememberIn(platform::SettingsStore& store, const std::string& appName,
                             std::function<void(const std::string&)> report)
{
    setting_ = std::make_unique<SeekPreviewSetting>(store, appName, std::move(report));
    enabled_ = setting_->load();
    if (!enabled_)
        hide();
}

void SeekPreview::addMenuToggle(QMenu& menu)
{
    menu.addSeparator();
    QAction* toggle = menu.addAction(QMenu::tr("Seek Preview"));
    toggle->setObjectName(QStringLiteral("seekPreview"));
    toggle->setCheckable(true);
    toggle->setChecked(enabled_);
    connect(toggle, &QAction::toggled, this, &SeekPreview::setEnabled);
}

void SeekPreview::hovered(double seconds, QPoint pointer, QRect bar)
{
    if (!enabled_ || session_.stage() != PlaybackSession::Stage::Open || !session_.duration()) {
        hide();
        return;
    }
    mediaChanged();
    last_ = {seconds, pointer, bar.top()};
    const std::optional<QSize> film = session_.picture();
    const QSize size = film && !(engine_ && engine_->unavailable()) ? previewPictureSize(*film, picture_.size())
                                                                     : QSize();
    window_->showAt(pointer, bar.top(), seconds, size);
    if (size.isEmpty())
        return;
    if (!engine_) {
        const std::string& url = session_.url();
        StreamProtocol::Opener opener = url == streamUrl_ ? streamOpener_ : StreamProtocol::Opener();
        // Local files are handed over by their absolute path; anything else we cannot read again.
        if (!opener && !url.starts_with('/'))
            return;
        engine_ = new PreviewEngine(url, std::move(opener), this);
        engineGeneration_ = session_.generation();
        connect(engine_, &PreviewEngine::pictureReady, this,
                [this](std::uint64_t request, double, const QImage& picture) {
                    // Pictures come in the order asked; one overtaken on its way is still the nearest there is.
                    if (request <= shownRequest_)
                        return;
                    shownRequest_ = request;
                    window_->setPicture(picture);
                    emit pictureShown(request == lastRequest_);
                });
        connect(engine_, &PreviewEngine::becameUnavailable, this, [this] {
            window_->clearPicture();
            // The time alone from now on, without a word: the preview is a help, not a feature to fail.
            if (window_->isVisible())
                window_->showAt(last_.pointer, last_.barTop, last_.seconds, QSize());
        });
    }
    const qreal ratio = window_->devicePixelRatioF();
    lastRequest_ = engine_->request(seconds, QSize(static_cast<int>(std::lround(size.width() * ratio)),
                                    static_cast<int>(std::lround(size.height() * ratio))));
}

void SeekPreview::hide()
{
    window_->hide();
}

void SeekPreview::mediaChanged()
{
    if (session_.generation() == generation_)
        return;
    generation_ = session_.generation();
    hide();
    window_->clearPicture();
    retireEngine();
}

void SeekPreview::retireEngine()
{
    if (!engine_)
        return;
    PreviewEngine* engine = std::exchange(engine_, nullptr);
    shownRequest_ = 0;
    lastRequest_ = 0;
    // Nothing more of it is shown; it goes once its thread has ended, which the UI thread does not wait for.
    disconnect(engine, nullptr, this, nullptr);
    if (engine->ended()) {
        engine->deleteLater();
    } else {
        connect(engine, &PreviewEngine::finished, engine, &QObject::deleteLater);
        engine->close();
    }
}

} // namespace media
