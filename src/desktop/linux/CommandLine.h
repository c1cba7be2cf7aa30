#pragma once

#include <string>

namespace platform {

// The command-line text: the program's arguments as the system handed them
// over, joined by single spaces; not split, trimmed or unquoted.
std::string commandLineText(int argc, const char* const* argv);

// The command-line path as the player should record it: a relative path that
// names something in the folder (default: the current one) becomes absolute,
// so that the recent-files list finds it from any folder later. Absolute and
// drive-letter paths (D:\mpegav\avseq01.dat), and a path that names nothing
// (its error message shows it as typed), stay as they are.
std::string absoluteCommandLine(const std::string& text, const std::string& folder = {});

// Wayland lets no program place its own window; where XWayland is there and
// the user chose no platform, ask Qt for X11 so the window can be centred.
void preferX11OnWayland();

} // namespace platform
