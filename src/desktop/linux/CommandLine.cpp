#include "CommandLine.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace platform {

std::string commandLineText(int argc, const char* const* argv)
{
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            text += ' ';
        text += argv[i];
    }
    return text;
}

std::string absoluteCommandLine(const std::string& text, const std::string& folder)
{
    const bool driveLetter = text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':';
    if (text.empty() || text.front() == '/' || driveLetter)
        return text;
    std::error_code error;
    const std::filesystem::path base = folder.empty() ? std::filesystem::current_path(error) : std::filesystem::path(folder);
    // symlink_status: a name is there even when what it points to is not.
    if (error || !std::filesystem::exists(std::filesystem::symlink_status(base / text, error)))
        return text;
    std::string relative = text;
    while (relative.rfind("./", 0) == 0)
        relative.erase(0, relative.find_first_not_of('/', 1));
    return (base / relative).string();
}

void preferX11OnWayland()
{
    const char* chosen = std::getenv("QT_QPA_PLATFORM");
    if (chosen && *chosen)
        return;
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* x11 = std::getenv("DISPLAY");
    if (wayland && *wayland && x11 && *x11)
        setenv("QT_QPA_PLATFORM", "xcb", 1);
}

} // namespace platform
