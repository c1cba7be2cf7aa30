#pragma once

#include <string_view>

namespace platform {

// Message boxes with an OK button alone, no icon and the application's title.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // Modal: returns when the user has closed the box.
    virtual void MsgBox(std::string_view text) = 0;
};

} // namespace platform
