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

    // Called before every handler, so that a view that learns something about
    // the window late (the thickness of its frame) can bring the model up to date.
    std::function<void()> beforeHandler;

    // Called after every handler, however it ended, so that whoever shows the
    // window's state elsewhere (the desktop's media controls) can look again.
    std::function<void()> afterHandler;

  private:
    bool runHandler(const std::function<void()>& handler) noexcept;

    platform::MessageBoxes& boxes_;
};

} // namespace forms
