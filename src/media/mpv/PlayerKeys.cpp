#include "PlayerKeys.h"

#include <QKeyEvent>

namespace media {

std::optional<PlayerAction> playerActionFor(const QKeyEvent& event)
{
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    switch (event.key()) {
    case Qt::Key_Space:
        return PlayerAction::TogglePause;
    case Qt::Key_Left:
        return PlayerAction::SeekBack;
    case Qt::Key_Right:
        return PlayerAction::SeekForward;
    case Qt::Key_Up:
        return PlayerAction::SeekForwardLong;
    case Qt::Key_Down:
        return PlayerAction::SeekBackLong;
    case Qt::Key_Home:
        return PlayerAction::ToStart;
    case Qt::Key_F11:
        return PlayerAction::ToggleFullScreen;
    case Qt::Key_Escape:
        return PlayerAction::LeaveFullScreen;
    default:
        break;
    }
    // Characters by what they type, so that '#' and '*' work on every keyboard layout.
    const QString text = event.text();
    if (text.size() != 1)
        return std::nullopt;
    switch (text.at(0).unicode()) {
    case '.':
        return PlayerAction::FrameForward;
    case ',':
        return PlayerAction::FrameBack;
    case '9':
    case '/':
        return PlayerAction::VolumeDown;
    case '0':
    case '*':
        return PlayerAction::VolumeUp;
    case 'm':
    case 'M':
        return PlayerAction::ToggleMute;
    case 'f':
    case 'F':
        return PlayerAction::ToggleFullScreen;
    case '#':
        return PlayerAction::CycleAudio;
    case 'j':
        return PlayerAction::CycleSubtitle;
    case 'J':
        return PlayerAction::CycleSubtitleBack;
    default:
        return std::nullopt;
    }
}

} // namespace media
