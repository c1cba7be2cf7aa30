#pragma once

#include <cstdint>
#include <string_view>

namespace forms {

enum class ControlKind { PictureBox, Label, Frame, Line, CommandButton };

// Colours as a stored layout gives them: 0x00BBGGRR, or a system colour
// (0x80000000 plus its index) that the view takes from the desktop's palette.
using OleColor = std::uint32_t;
inline constexpr OleColor SystemWindow = 0x80000005;
inline constexpr OleColor SystemWindowText = 0x80000008;
inline constexpr OleColor SystemButtonFace = 0x8000000F;
inline constexpr OleColor SystemButtonShadow = 0x80000010;
inline constexpr OleColor SystemButtonText = 0x80000012;
inline constexpr OleColor SystemButtonHighlight = 0x80000014;

constexpr OleColor rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return OleColor{red} | OleColor{green} << 8 | OleColor{blue} << 16;
}

constexpr bool isSystemColor(OleColor color)
{
    return (color & 0x80000000u) != 0;
}

// A face name and a size in points. A face that is not installed gives way
// to the closest installed sans-serif face at the same size.
struct StoredFont {
    std::string_view name = "MS Sans Serif";
    float size = 8.25f;
    bool bold = true;
};

// One row of a window's stored control table. Rows stand in stacking order,
// the one at the back first; a control inside a frame comes after the frame.
struct ControlRow {
    std::string_view name = {};
    int index = -1; // -1: not part of a control array
    ControlKind kind = ControlKind::Label;
    std::string_view container = {}; // empty: the window itself
    // Placement in twips relative to the container.
    float left = 0, top = 0, width = 0, height = 0;
    // A line's end points, in twips, instead of a placement.
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    std::string_view caption = {};
    StoredFont font = {};
    OleColor foreColor = SystemButtonText; // text, or a line's colour
    OleColor backColor = SystemButtonFace;
    int borderWidth = 1;    // a line's width in pixels
    int tabIndex = -1;      // place in the tab order; -1 takes no focus
    bool isDefault = false; // Enter clicks it
    bool isCancel = false;  // Esc clicks it
};

} // namespace forms
