#include "GlVideoSurface.h"

#include <QGuiApplication>
#include <QWidget>

#include <mpv/client.h>
#include <mpv/render_gl.h>

#include <vector>

namespace media {

namespace {

void* procAddress(void* context, const char* name)
{
    return reinterpret_cast<void*>(static_cast<QOpenGLContext*>(context)->getProcAddress(name));
}

} // namespace

GlVideoSurface::GlVideoSurface()
{
    setSurfaceType(QSurface::OpenGLSurface);
    // Clicks and keys go to the control underneath, which owns the focus.
    setFlags(flags() | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
}

GlVideoSurface* GlVideoSurface::create(QWidget* parent)
{
    auto* surface = new GlVideoSurface;
    surface->container_ = QWidget::createWindowContainer(surface, parent);
    surface->container_->setObjectName(QStringLiteral("video"));
    surface->container_->setFocusPolicy(Qt::NoFocus);
    surface->container_->setMinimumSize(0, 0);
    surface->container_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    return surface;
}

GlVideoSurface::~GlVideoSurface()
{
    detach();
}

bool GlVideoSurface::attach(mpv_handle* mpv)
{
    gl_ = std::make_unique<QOpenGLContext>();
    if (!gl_->create())
        return false;
    setFormat(gl_->format());
    offscreen_ = std::make_unique<QOffscreenSurface>();
    offscreen_->setFormat(gl_->format());
    offscreen_->create();
    if (!gl_->makeCurrent(offscreen_.get()))
        return false;
    mpv_opengl_init_params init{&procAddress, gl_.get()};
    std::vector<mpv_render_param> params{
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &init},
    };
    // Hardware decoding hands its frames over through the display connection.
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        params.push_back({MPV_RENDER_PARAM_X11_DISPLAY, x11->display()});
    params.push_back({MPV_RENDER_PARAM_INVALID, nullptr});
    const bool made = mpv_render_context_create(&context_, mpv, params.data()) >= 0;
    gl_->doneCurrent();
    if (!made) {
        context_ = nullptr;
        return false;
    }
    mpv_render_context_set_update_callback(context_, &GlVideoSurface::requestUpdate, this);
    return true;
}

void GlVideoSurface::detach()
{
    if (!context_)
        return;
    mpv_render_context_set_update_callback(context_, nullptr, nullptr);
    // mpv frees its textures: our context must be current.
    gl_->makeCurrent(offscreen_.get());
    mpv_render_context_free(context_);
    gl_->doneCurrent();
    context_ = nullptr;
}

void GlVideoSurface::requestUpdate(void* self)
{
    auto* surface = static_cast<GlVideoSurface*>(self);
    if (!surface->updatePending_.exchange(true))
        QMetaObject::invokeMethod(
            surface, [surface] { surface->renderFrame(false); }, Qt::QueuedConnection);
}

void GlVideoSurface::renderFrame(bool redraw)
{
    updatePending_ = false;
    if (!context_)
        return;
    const bool newFrame = mpv_render_context_update(context_) & MPV_RENDER_UPDATE_FRAME;
    if (!newFrame && !redraw)
        return;
    int block = 0;
    const QSize target = size() * devicePixelRatio();
    if (!isExposed() || target.isEmpty()) {
        if (!newFrame)
            return;
        // Nobody sees it, but mpv waits for every frame to be taken.
        int skip = 1;
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
            {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        gl_->makeCurrent(offscreen_.get());
        mpv_render_context_render(context_, params);
        return;
    }
    if (!gl_->makeCurrent(this))
        return;
    mpv_opengl_fbo fbo{static_cast<int>(gl_->defaultFramebufferObject()), target.width(), target.height(), 0};
    int flip = 1;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flip},
        {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    const bool drawn = mpv_render_context_render(context_, params) >= 0;
    gl_->swapBuffers(this);
    mpv_render_context_report_swap(context_);
    if (drawn && newFrame && frameShown)
        frameShown();
}

void GlVideoSurface::exposeEvent(QExposeEvent*)
{
    if (isExposed())
        renderFrame(true);
}

void GlVideoSurface::resizeEvent(QResizeEvent*)
{
    if (isExposed())
        renderFrame(true);
}

} // namespace media
