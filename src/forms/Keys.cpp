#include "Keys.h"

#include <QKeyEvent>

namespace forms {

namespace {

bool menuShortcut(const QKeyEvent& event)
{
    return event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
}

} // namespace

int asciiFor(const QKeyEvent& event)
{
    if (menuShortcut(event))
        return 0;
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return keys::Enter;
    case Qt::Key_Backspace:
        return keys::Backspace;
    case Qt::Key_Escape:
        return keys::Escape;
    case Qt::Key_Tab:
        return keys::Tab;
    default:
        break;
    }
    const QString text = event.text();
    if (text.size() == 1 && text.at(0).unicode() >= 32 && text.at(0).unicode() < 0x8000)
        return text.at(0).unicode();
    return 0;
}

std::optional<PlayerAction> actionFor(const QKeyEvent& event)
{
    if (menuShortcut(event))
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
    case '[':
        return PlayerAction::SpeedDown;
    case ']':
        return PlayerAction::SpeedUp;
    case '{':
        return PlayerAction::SpeedHalf;
    case '}':
        return PlayerAction::SpeedDouble;
    case '\\':
        return PlayerAction::SpeedNormal;
    case 'z':
        return PlayerAction::SubtitleDelayLess;
    case 'x':
        return PlayerAction::SubtitleDelayMore;
    case '-':
        return PlayerAction::AudioDelayLess;
    case '+':
        return PlayerAction::AudioDelayMore;
    case 's':
        return PlayerAction::Screenshot;
    case '>':
        return PlayerAction::NextFile;
    case '<':
        return PlayerAction::PreviousFile;
    case 'r':
        return PlayerAction::Resume;
    default:
        return std::nullopt;
    }
}

} // namespace forms
