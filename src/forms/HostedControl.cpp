#include "HostedControl.h"

namespace forms {

void HostedControl::Left(float left)
{
    left_ = left;
    notify();
}

void HostedControl::Top(float top)
{
    top_ = top;
    notify();
}

void HostedControl::Visible(bool visible)
{
    visible_ = visible;
    notify();
}

void HostedControl::place(float left, float top, float width, float height)
{
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    notify();
}

void HostedControl::setSize(float width, float height)
{
    width_ = width;
    height_ = height;
    notify();
}

void HostedControl::notify()
{
    if (extenderChanged)
        extenderChanged();
}

} // namespace forms
