#pragma once

#include "SystemMetrics.h"

namespace platform {

// The primary screen in Qt's logical pixels, read afresh on every call.
class QtSystemMetrics : public SystemMetrics {
  public:
    int GetSystemMetrics(int index) const override;
};

} // namespace platform
