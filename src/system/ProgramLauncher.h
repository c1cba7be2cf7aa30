#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// How the started program's window should first appear.
enum class WindowStyle {
    Hide = 0,
    NormalFocus = 1,
    MinimizedFocus = 2,
    MaximizedFocus = 3,
    NormalNoFocus = 4,
    MinimizedNoFocus = 6
};

// Starts another program as a separate process and does not wait for it.
class ProgramLauncher {
  public:
    virtual ~ProgramLauncher() = default;
    // pathname names the program file. Returns the new task's identifier;
    // throws forms::RuntimeError when the program cannot be started.
    virtual std::int64_t Shell(std::string_view pathname, WindowStyle style) = 0;
};

} // namespace platform
