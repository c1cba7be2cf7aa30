#include "MenuItem.h"

#include <utility>

namespace forms {

MenuItem::MenuItem(std::string name, int index, std::string caption, std::string shortcut)
    : name_(std::move(name)), index_(index), caption_(std::move(caption)), shortcut_(std::move(shortcut))
{
}

void MenuItem::Caption(std::string caption)
{
    caption_ = std::move(caption);
    notify();
}

void MenuItem::Enabled(bool enabled)
{
    enabled_ = enabled;
    notify();
}

void MenuItem::Visible(bool visible)
{
    visible_ = visible;
    notify();
}

void MenuItem::Checked(bool checked)
{
    checked_ = checked;
    notify();
}

void MenuItem::addChild(MenuItem& child)
{
    child.parent_ = this;
    children_.push_back(&child);
}

void MenuItem::notify()
{
    if (changed)
        changed(*this);
}

} // namespace forms
