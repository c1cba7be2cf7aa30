// The one key table: what each key types for KeyPress and what it does to playback.
#include "Keys.h"

#include <QKeyEvent>

#include <gtest/gtest.h>

namespace {

using forms::PlayerAction;

QKeyEvent key(int code, const QString& text = {}, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    return QKeyEvent(QEvent::KeyPress, code, modifiers, text);
}

TEST(Keys, TypedKeysGiveTheirCharacterCodesAndOthersNone)
{
    EXPECT_EQ(forms::asciiFor(key(Qt::Key_Return)), forms::keys::Enter);
    EXPECT_EQ(forms::asciiFor(key(Qt::Key_Enter)), forms::keys::Enter);
    EXPECT_EQ(forms::asciiFor(key(Qt::Key_Backspace)), forms::keys::Backspace);
    EXPECT_EQ(forms::asciiFor(key(Qt::Key_Escape)), forms::keys::Escape);
    EXPECT_EQ(forms::asciiFor(key(Qt::Key_Tab)), forms::keys::Tab);
    EXPECT_EQ(forms::asciiFor(key(Qt::Key_V, "V", Qt::ShiftModifier)), forms::keys::UpperV);
    EXPECT_EQ(forms::asciiFor(key(Qt::Key_V, "v")), forms::keys::LowerV);
    EXPECT_EQ(forms::asciiFor(key(Qt::Key_Eacute, QString::fromUtf8("é"))), 0xe9);
    // Keys that type nothing, control characters and shortcuts belong to the window and its menus.
    EXPECT_EQ(forms::asciiFor(key(Qt::Key_F11)), 0);
    EXPECT_EQ(forms::asciiFor(key(Qt::Key_Left)), 0);
    EXPECT_EQ(forms::asciiFor(key(Qt::Key_A, "\x01", Qt::ControlModifier)), 0);
    EXPECT_EQ(forms::asciiFor(key(Qt::Key_V, "v", Qt::AltModifier)), 0);
    EXPECT_EQ(forms::asciiFor(key(Qt::Key_Return, {}, Qt::ControlModifier)), 0);
}

TEST(Keys, PlaybackKeysFollowMpvsBindingsByWhatTheyType)
{
    const std::pair<QKeyEvent, PlayerAction> table[] = {
        {key(Qt::Key_Space, " "), PlayerAction::TogglePause},
        {key(Qt::Key_Left), PlayerAction::SeekBack},
        {key(Qt::Key_Right), PlayerAction::SeekForward},
        {key(Qt::Key_Up), PlayerAction::SeekForwardLong},
        {key(Qt::Key_Down), PlayerAction::SeekBackLong},
        {key(Qt::Key_Home), PlayerAction::ToStart},
        {key(Qt::Key_Period, "."), PlayerAction::FrameForward},
        {key(Qt::Key_Comma, ","), PlayerAction::FrameBack},
        {key(Qt::Key_9, "9"), PlayerAction::VolumeDown},
        {key(Qt::Key_Slash, "/"), PlayerAction::VolumeDown},
        {key(Qt::Key_0, "0"), PlayerAction::VolumeUp},
        // '*' is typed with Shift on most layouts, and from the keypad without.
        {key(Qt::Key_Asterisk, "*", Qt::ShiftModifier | Qt::KeypadModifier), PlayerAction::VolumeUp},
        {key(Qt::Key_M, "m"), PlayerAction::ToggleMute},
        {key(Qt::Key_F, "F", Qt::ShiftModifier), PlayerAction::ToggleFullScreen},
        {key(Qt::Key_F11), PlayerAction::ToggleFullScreen},
        {key(Qt::Key_Escape), PlayerAction::LeaveFullScreen},
        {key(Qt::Key_NumberSign, "#", Qt::ShiftModifier), PlayerAction::CycleAudio},
        {key(Qt::Key_J, "j"), PlayerAction::CycleSubtitle},
        {key(Qt::Key_J, "J", Qt::ShiftModifier), PlayerAction::CycleSubtitleBack},
    };
    for (const auto& [event, action] : table)
        EXPECT_EQ(forms::actionFor(event), action) << event.text().toStdString() << " key " << event.key();

    // The Video CD's keys and anything held with Ctrl or Alt do nothing to playback.
    EXPECT_FALSE(forms::actionFor(key(Qt::Key_V, "v")));
    EXPECT_FALSE(forms::actionFor(key(Qt::Key_Return)));
    EXPECT_FALSE(forms::actionFor(key(Qt::Key_Backspace)));
    EXPECT_FALSE(forms::actionFor(key(Qt::Key_Space, " ", Qt::ControlModifier)));
    EXPECT_FALSE(forms::actionFor(key(Qt::Key_F, "f", Qt::AltModifier)));
}

} // namespace
