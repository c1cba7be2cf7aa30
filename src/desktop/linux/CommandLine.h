#pragma once

#include <string>

namespace platform {

// The command-line text: the program's arguments as the system handed them
// over, joined by single spaces; not split, trimmed or unquoted.
std::string commandLineText(int argc, const char* const* argv);

// Wayland lets no program place its own window; where XWayland is there and
// the user chose no platform, ask Qt for X11 so the window can be centred.
void preferX11OnWayland();

} // namespace platform
