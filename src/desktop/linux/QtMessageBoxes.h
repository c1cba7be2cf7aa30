#pragma once

#include "MessageBoxes.h"

namespace platform {

// OK-only boxes without an icon, titled with the application's name,
// modal over whichever window of the program is active.
class QtMessageBoxes : public MessageBoxes {
  public:
    void MsgBox(std::string_view text) override;
};

} // namespace platform
