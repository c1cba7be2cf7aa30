#include "Form.h"

#include "RuntimeError.h"

#include <stdexcept>

namespace forms {

Form::Form(const FormLayout& layout, Dispatcher& dispatcher)
    : dispatcher_(dispatcher), caption_(layout.caption),
      border_(layout.border), client_{layout.clientWidth, layout.clientHeight}
{
}

void Form::attach(FormView& view)
{
    view_ = &view;
    const TwipsSize frame = view.frameAllowance();
    outer_ = view.resizeOuter({client_.width + frame.width, client_.height + frame.height});
}

FormView& Form::view() const
{
    if (!view_)
        throw std::logic_error("form " + caption_ + " has no view");
    return *view_;
}

void Form::Left(float left)
{
    position_.x = left;
    view().moveOuter(position_);
}

void Form::Top(float top)
{
    position_.y = top;
    view().moveOuter(position_);
}

void Form::Width(float width)
{
    takeOuterSize(view().resizeOuter({width, outer_.height}));
}

void Form::Height(float height)
{
    takeOuterSize(view().resizeOuter({outer_.width, height}));
}

float Form::ScaleWidth() const
{
    return outer_.width - view().frameAllowance().width;
}

float Form::ScaleHeight() const
{
    return outer_.height - view().frameAllowance().height;
}

void Form::WindowState(int state)
{
    if (state < 0 || state > 2)
        throw RuntimeError("Invalid property value");
    view().setWindowState(static_cast<forms::WindowState>(state));
}

std::uintptr_t Form::hWnd() const
{
    return view().nativeHandle();
}

void Form::load()
{
    dispatcher_.run(Load);
}

void Form::takeOuterSize(TwipsSize outer)
{
    // A request the window could not follow leaves the size as it was and must
    // raise nothing, or the nested resize passes would never end.
    if (outer == outer_)
        return;
    outer_ = outer;
    if (Resize)
        Resize();
}

void Form::viewResized(TwipsSize outer)
{
    dispatcher_.run([&] { takeOuterSize(outer); });
}

void Form::viewMoved(TwipsPoint topLeft)
{
    position_ = topLeft;
}

void Form::viewStateChanged(forms::WindowState state)
{
    viewChanged(state, outer_);
}

void Form::viewChanged(forms::WindowState state, TwipsSize outer)
{
    if (state == state_ && outer == outer_)
        return;
    state_ = state;
    outer_ = outer;
    dispatcher_.run([&] {
        if (Resize)
            Resize();
    });
}

void Form::viewFileDropped(const std::string& path)
{
    dispatcher_.run([&] {
        if (FileDrop)
            FileDrop(path);
    });
}

void Form::viewKeyPress(std::int16_t code)
{
    dispatcher_.run([&] {
        std::int16_t key = code;
        if (KeyPress)
            KeyPress(key);
    });
}

} // namespace forms
