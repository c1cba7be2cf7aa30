#pragma once

#include <optional>

class QKeyEvent;

namespace media {

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
};

// The playback action of a key; none for other keys and for any key held with
// Ctrl, Alt or Meta, which belong to the menus.
std::optional<PlayerAction> playerActionFor(const QKeyEvent& event);

} // namespace media
