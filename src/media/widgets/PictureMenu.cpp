#include "PictureMenu.h"

#include <QActionGroup>
#include <QFontMetrics>
#include <QTextDocument>

namespace media {

QAction* addTrackAction(QMenu& menu, const Track& track)
{
    constexpr int LabelCharacters = 40;
    const QString label = trackLabel(track);
    const QFontMetrics metrics = menu.fontMetrics();
    const QString shown = metrics.elidedText(label, Qt::ElideRight, LabelCharacters * metrics.averageCharWidth());
    QAction* action = menu.addAction(QString(shown).replace(QLatin1Char('&'), QStringLiteral("&&")));
    if (shown != label) {
        // As text: a title is whatever the file says, markup included.
        action->setToolTip(Qt::convertFromPlainText(label, Qt::WhiteSpaceNormal));
        menu.setToolTipsVisible(true);
    }
    return action;
}

std::unique_ptr<QMenu> pictureMenu(QWidget* parent, const std::vector<Track>& tracks, bool fullScreen,
                                   const PictureMenuActions& actions)
{
    auto menu = std::make_unique<QMenu>(parent);
    menu->setObjectName(QStringLiteral("pictureMenu"));
    const auto addTracks = [&](Track::Kind kind, const char* property, bool withOff) {
        auto* group = new QActionGroup(menu.get());
        bool any = false;
        if (withOff) {
            QAction* off = menu->addAction(QMenu::tr("Off"));
            off->setObjectName(QStringLiteral("subtitleOff"));
            off->setCheckable(true);
            off->setActionGroup(group);
            QObject::connect(off, &QAction::triggered, menu.get(), [choose = actions.chooseTrack, kind] { choose(kind, 0); });
            off->setChecked(true);
        }
        for (const Track& track : tracks) {
            if (track.kind != kind)
                continue;
            QAction* action = addTrackAction(*menu, track);
            action->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(property)).arg(track.id));
            action->setCheckable(true);
            action->setActionGroup(group);
            action->setChecked(track.selected);
            QObject::connect(action, &QAction::triggered, menu.get(),
                             [choose = actions.chooseTrack, kind, id = track.id] { choose(kind, id); });
            any = true;
        }
        if (!any && !withOff)
            menu->addAction(QMenu::tr("None"))->setEnabled(false);
    };
    menu->addSection(QMenu::tr("Audio"));
    addTracks(Track::Kind::Audio, "aid", false);
    menu->addSection(QMenu::tr("Subtitles"));
    addTracks(Track::Kind::Subtitle, "sid", true);
    menu->addSeparator();
    QAction* full = menu->addAction(QMenu::tr("Full Screen"));
    full->setObjectName(QStringLiteral("fullScreen"));
    full->setCheckable(true);
    full->setChecked(fullScreen);
    QObject::connect(full, &QAction::triggered, menu.get(), actions.toggleFullScreen);
    if (actions.extend)
        actions.extend(*menu);
    return menu;
}

} // namespace media
