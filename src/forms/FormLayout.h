#pragma once

#include <span>
#include <string_view>

namespace forms {

enum class BorderStyle { Sizable, FixedDialog };

// One row of a stored menu table. Rows stand in screen order; a row names its
// parent, and the items of a control array share a name and differ by index.
struct MenuRow {
    std::string_view name;
    std::string_view parent; // empty: on the menu bar
    int index;               // -1: not part of a control array
    std::string_view caption;
    std::string_view shortcut;
    bool enabled;
    bool visible;
    bool checked;
};

// Placement of a hosted control, in twips of the window's client area.
struct ControlPlacement {
    std::string_view name;
    float left, top, width, height;
};

struct FormLayout {
    std::string_view caption;
    BorderStyle border;
    float clientWidth;  // twips
    float clientHeight; // twips
    std::span<const MenuRow> menus;
};

} // namespace forms
