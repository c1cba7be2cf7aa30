#include "Dialog.h"

#include <stdexcept>
#include <string>

namespace forms {

Dialog::Dialog(const FormLayout& layout, std::span<const ControlRow> controls, Dispatcher& dispatcher)
    : form(layout, dispatcher)
{
    for (const ControlRow& row : controls) {
        if (!row.container.empty()) {
            bool containerFirst = false;
            for (const Control& earlier : controls_)
                containerFirst =
                    containerFirst || (earlier.Name() == row.container && earlier.Kind() == ControlKind::Frame);
            if (!containerFirst)
                throw std::logic_error("control table: " + std::string(row.name) + " comes before its frame");
        }
        controls_.emplace_back(row);
    }
}

Control& Dialog::control(std::string_view name)
{
    for (Control& control : controls_) {
        if (control.Name() == name && control.Index() < 0)
            return control;
    }
    throw std::out_of_range("no control " + std::string(name));
}

std::vector<Control*> Dialog::array(std::string_view name)
{
    std::vector<Control*> result;
    for (Control& control : controls_) {
        if (control.Name() == name && control.Index() >= 0) {
            if (static_cast<std::size_t>(control.Index()) >= result.size())
                result.resize(control.Index() + 1, nullptr);
            result[control.Index()] = &control;
        }
    }
    return result;
}

void Dialog::Icon(forms::Picture icon)
{
    icon_ = std::move(icon);
    if (iconChanged)
        iconChanged();
}

void Dialog::Unload()
{
    if (!loaded_)
        return;
    loaded_ = false;
    if (unloaded)
        unloaded();
}

} // namespace forms
