#pragma once

#include "MessageBoxes.h"

#include <functional>

namespace forms {

// Runs event handlers. An error that leaves a handler is shown in a message box
// and the program goes on: one bad file never takes the player down.
class Dispatcher {
  public:
    explicit Dispatcher(platform::MessageBoxes& boxes) : boxes_(boxes) {}

    // Returns false when the handler ended with an error (already shown).
    bool run(const std::function<void()>& handler) noexcept;

  private:
    platform::MessageBoxes& boxes_;
};

} // namespace forms
