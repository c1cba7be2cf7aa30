#include "SurfaceChoice.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace media {

namespace {

bool hasGpuDevice()
{
    // Without a render node (or NVIDIA's device) any OpenGL there is must be software;
    // this spares a software-only machine the cost of making a context to ask.
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error))
        if (entry.path().filename().string().starts_with("renderD"))
            return true;
    return std::filesystem::exists("/dev/nvidiactl", error);
}

bool isSoftwareRenderer(std::string_view renderer)
{
    constexpr std::array software{"llvmpipe", "softpipe", "swrast", "software", "Software", "SwiftShader", "lavapipe"};
    for (const char* name : software)
        if (renderer.find(name) != std::string_view::npos)
            return true;
    return false;
}

bool hasRealGlDriver()
{
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("xcb") && !platform.startsWith(QLatin1String("wayland")))
        return false;
    if (!hasGpuDevice())
        return false;
    QOpenGLContext context;
    if (!context.create())
        return false;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.makeCurrent(&surface))
        return false;
    const auto* renderer = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    const bool real = renderer && !isSoftwareRenderer(renderer);
    context.doneCurrent();
    return real;
}

} // namespace

SurfaceKind chooseSurface()
{
    static const SurfaceKind kind = [] {
        const char* forced = std::getenv("ZELVO_VIDEO_SURFACE");
        if (forced && std::string_view(forced) == "software")
            return SurfaceKind::Software;
        if (forced && std::string_view(forced) == "opengl")
            return SurfaceKind::OpenGl;
        return hasRealGlDriver() ? SurfaceKind::OpenGl : SurfaceKind::Software;
    }();
    return kind;
}

} // namespace media
