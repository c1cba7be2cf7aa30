#pragma once

#include "ScreenSaver.h"

#include <QDBusConnection>
#include <QObject>

#include <cstdint>
#include <optional>

namespace platform {

// Keeps the screen on: through org.freedesktop.ScreenSaver on the session bus
// when a service owns that name, else by suspending the X server's own screen
// saver (MIT-SCREEN-SAVER). Both end with the process: the bus drops a dead
// connection's inhibitions, the X server a dead client's suspension.
class LinuxScreenSaver : public QObject, public ScreenSaverInhibitor {
    Q_OBJECT
  public:
    // A disconnected bus (none running) goes straight to the X server.
    explicit LinuxScreenSaver(QDBusConnection bus, QObject* parent = nullptr);
    ~LinuxScreenSaver() override;

    void inhibit(bool on) override;

    enum class Way { None, Asking, Bus, X11 };
    Way way() const { return way_; }

  private:
    void inhibited(std::optional<std::uint32_t> cookie);
    void release();
    bool suspendX(bool suspend);

    QDBusConnection bus_;
    bool wanted_ = false;
    Way way_ = Way::None;
    std::uint32_t cookie_ = 0;
};

} // namespace platform
