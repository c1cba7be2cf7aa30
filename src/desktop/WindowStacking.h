#pragma once

#include <cstdint>

namespace platform {

inline constexpr std::intptr_t HWND_TOPMOST = -1;
inline constexpr std::intptr_t HWND_NOTOPMOST = -2;
inline constexpr unsigned SWP_NOSIZE = 0x0001;
inline constexpr unsigned SWP_NOMOVE = 0x0002;

// Places a window in the stacking order. Returns non-zero on success.
class WindowStacking {
  public:
    virtual ~WindowStacking() = default;
    virtual int SetWindowPos(std::uintptr_t hWnd, std::intptr_t hWndInsertAfter, int x, int y, int cx, int cy,
                             unsigned flags) = 0;
};

} // namespace platform
