#pragma once

#include "MessageBoxes.h"

#include <QPointer>
#include <QWidget>

namespace platform {

// OK-only boxes without an icon, titled with the application's name,
// modal over whichever window of the program is active, else over the owner.
class QtMessageBoxes : public MessageBoxes {
  public:
    void MsgBox(std::string_view text) override;

    // A window just shown is not active until the window manager says so.
    QPointer<QWidget> owner;
};

} // namespace platform
