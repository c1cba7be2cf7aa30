#pragma once

#include "Twips.h"

#include <cstdint>

namespace forms {

enum class WindowState : int { Normal = 0, Minimized = 1, Maximized = 2 };

// What the geometry model asks of a window on screen. All in twips; a view
// that works in pixels rounds and reports what it really did.
class FormView {
  public:
    virtual ~FormView() = default;

    // Asks for an outer size (frame, title and menu bar included) and returns
    // the outer size the window has afterwards, limits and rounding applied.
    virtual TwipsSize resizeOuter(TwipsSize requested) = 0;
    // Moves the outer frame's top-left corner on the screen.
    virtual void moveOuter(TwipsPoint topLeft) = 0;
    // Outer size minus client size, as it stands now.
    virtual TwipsSize frameAllowance() const = 0;
    virtual void setWindowState(WindowState state) = 0;
    // The window system's handle of the window, 0 while it has none.
    virtual std::uintptr_t nativeHandle() const = 0;
};

} // namespace forms
