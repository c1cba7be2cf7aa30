#include "Control.h"

#include <utility>

namespace forms {

Control::Control(const ControlRow& row) : row_(row), name_(row.name), caption_(row.caption) {}

void Control::Caption(std::string caption)
{
    caption_ = std::move(caption);
    notify();
}

void Control::Picture(forms::Picture picture)
{
    picture_ = std::move(picture);
    notify();
}

void Control::notify()
{
    if (changed)
        changed(*this);
}

} // namespace forms
