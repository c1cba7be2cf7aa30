#pragma once

namespace platform {

inline constexpr int SM_CXSCREEN = 0;
inline constexpr int SM_CYSCREEN = 1;

// Screen size of the primary screen, in the toolkit's logical pixels.
class SystemMetrics {
  public:
    virtual ~SystemMetrics() = default;
    virtual int GetSystemMetrics(int index) const = 0;
};

} // namespace platform
