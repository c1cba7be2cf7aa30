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
    struct Row {
        int key;
        const char* text;
        Qt::KeyboardModifiers modifiers;
        PlayerAction action;
    };
    const Row table[] = {
        {Qt::Key_Space, " ", Qt::NoModifier, PlayerAction::TogglePause},
        {Qt::Key_Left, "", Qt::NoModifier, PlayerAction::SeekBack},
        {Qt::Key_Right, "", Qt::NoModifier, PlayerAction::SeekForward},
        {Qt::Key_Up, "", Qt::NoModifier, PlayerAction::SeekForwardLong},
        {Qt::Key_Down, "", Qt::NoModifier, PlayerAction::SeekBackLong},
        {Qt::Key_Home, "", Qt::NoModifier, PlayerAction::ToStart},
        {Qt::Key_Period, ".", Qt::NoModifier, PlayerAction::FrameForward},
        {Qt::Key_Comma, ",", Qt::NoModifier, PlayerAction::FrameBack},
        {Qt::Key_9, "9", Qt::NoModifier, PlayerAction::VolumeDown},
        {Qt::Key_Slash, "/", Qt::NoModifier, PlayerAction::VolumeDown},
        {Qt::Key_0, "0", Qt::NoModifier, PlayerAction::VolumeUp},
        // '*' is typed with Shift on most layouts, and from the keypad without.
        {Qt::Key_Asterisk, "*", Qt::ShiftModifier | Qt::KeypadModifier, PlayerAction::VolumeUp},
        {Qt::Key_M, "m", Qt::NoModifier, PlayerAction::ToggleMute},
        {Qt::Key_F, "F", Qt::ShiftModifier, PlayerAction::ToggleFullScreen},
        {Qt::Key_F11, "", Qt::NoModifier, PlayerAction::ToggleFullScreen},
        {Qt::Key_Escape, "", Qt::NoModifier, PlayerAction::LeaveFullScreen},
        {Qt::Key_NumberSign, "#", Qt::ShiftModifier, PlayerAction::CycleAudio},
        {Qt::Key_J, "j", Qt::NoModifier, PlayerAction::CycleSubtitle},
        {Qt::Key_J, "J", Qt::ShiftModifier, PlayerAction::CycleSubtitleBack},
    };
    for (const Row& row : table) {
        const QKeyEvent event = key(row.key, QString::fromUtf8(row.text), row.modifiers);
        EXPECT_EQ(forms::actionFor(event), row.action) << "'" << row.text << "' key " << row.key;
    }

    // The Video CD's keys and anything held with Ctrl or Alt do nothing to playback.
    EXPECT_FALSE(forms::actionFor(key(Qt::Key_V, "v")));
    EXPECT_FALSE(forms::actionFor(key(Qt::Key_Return)));
    EXPECT_FALSE(forms::actionFor(key(Qt::Key_Backspace)));
    EXPECT_FALSE(forms::actionFor(key(Qt::Key_Space, " ", Qt::ControlModifier)));
    EXPECT_FALSE(forms::actionFor(key(Qt::Key_F, "f", Qt::AltModifier)));
}

} // namespace
