#pragma once

#include "Track.h"

#include <QMenu>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace media {

// What the picture's right-click menu can ask for.
struct PictureMenuActions {
    // kind's track by id; 0 turns subtitles off.
    std::function<void(Track::Kind kind, std::int64_t id)> chooseTrack;
    std::function<void()> toggleFullScreen;
    // Entries of others, added at the end.
    std::function<void(QMenu& menu)> extend;
};

// Adds the track to the menu: its label cut to about 40 characters, so that
// a title of any length leaves the menu a menu, and then whole in a tooltip.
QAction* addTrackAction(QMenu& menu, const Track& track);

// The picture's right-click menu: audio tracks, subtitle tracks, Full Screen.
std::unique_ptr<QMenu> pictureMenu(QWidget* parent, const std::vector<Track>& tracks, bool fullScreen,
                                   const PictureMenuActions& actions);

} // namespace media
