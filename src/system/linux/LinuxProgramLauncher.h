#pragma once

#include "ProgramLauncher.h"

namespace platform {

// Starts the program file detached, with no arguments and never through a
// shell: the whole text is the file's path, "\" read as "/". A name without a
// folder is looked up on PATH. The window style is left to the program and
// the window manager, which on Linux decide how a new window appears.
class LinuxProgramLauncher : public ProgramLauncher {
  public:
    std::int64_t Shell(std::string_view pathname, WindowStyle style) override;
};

} // namespace platform
