#pragma once

#include <cstdint>
#include <optional>

class QKeyEvent;

// Every decision about what a key means is taken here: the character code a
// form's KeyPress event gets, and the playback action a key stands for.
namespace forms {

// Character codes of the keys the player window handles itself.
namespace keys {
constexpr std::int16_t Backspace = 8;
constexpr std::int16_t Tab = 9;
constexpr std::int16_t Enter = 13;
constexpr std::int16_t Escape = 27;
constexpr std::int16_t UpperV = 'V';
constexpr std::int16_t LowerV = 'v';
} // namespace keys

// What a key does to playback, as mpv's own bindings have it.
enum class PlayerAction {
    TogglePause,
    SeekBack,        // 5 s
    SeekForward,     // 5 s
    SeekBackLong,    // a minute
    SeekForwardLong, // a minute
    ToStart,
    FrameBack,
    FrameForward,
    VolumeDown,
    VolumeUp,
    ToggleMute,
    ToggleFullScreen,
    LeaveFullScreen,
    CycleAudio,
    CycleSubtitle,
    CycleSubtitleBack,
    SpeedDown,   // by 10 %
    SpeedUp,     // by 10 %
    SpeedHalf,
    SpeedDouble,
    SpeedNormal, // not Backspace: that steps the Video CD back
    SubtitleDelayLess,
    SubtitleDelayMore,
    AudioDelayLess,
    AudioDelayMore,
    Screenshot,
    NextFile,     // in the folder
    PreviousFile, // in the folder
    Resume,       // to where the file was left
};

// The character code a key types for KeyPress: Enter, Backspace, Escape and
// Tab by their codes, other keys by the one character they type; 0 for keys
// that type nothing and for any key held with Ctrl, Alt or Meta, which belong
// to the menus.
int asciiFor(const QKeyEvent& event);

// The playback action of a key; none for other keys and for any key held with
// Ctrl, Alt or Meta.
std::optional<PlayerAction> actionFor(const QKeyEvent& event);

} // namespace forms
