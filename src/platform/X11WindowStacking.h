#pragma once

#include "platform/WindowStacking.h"

namespace platform {

// Above-others placement through the window manager (not built yet: refuses).
class X11WindowStacking : public WindowStacking {
public:
    int SetWindowPos(std::uintptr_t hWnd, std::intptr_t hWndInsertAfter, int x, int y, int cx, int cy,
                     unsigned flags) override;
};

}  // namespace platform
