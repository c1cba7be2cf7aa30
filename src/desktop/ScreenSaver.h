#pragma once

namespace platform {

// Keeps the screen from blanking while on. Turning it on or off twice changes nothing.
class ScreenSaverInhibitor {
  public:
    virtual ~ScreenSaverInhibitor() = default;
    virtual void inhibit(bool on) = 0;
};

} // namespace platform
