#include "PictureMenu.h"

#include <QActionGroup>

namespace media {

std::unique_ptr<QMenu> pictureMenu(QWidget* parent, const std::vector<Track>& tracks, bool fullScreen,
                                   const PictureMenuActions& actions)
{
    auto menu = std::make_unique<QMenu>(parent);
    menu->setObjectName(QStringLiteral("pictureMenu"));
    const auto escaped = [](QString text) { return text.replace(QLatin1Char('&'), QStringLiteral("&&")); };
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
            QAction* action = menu->addAction(escaped(trackLabel(track)));
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
