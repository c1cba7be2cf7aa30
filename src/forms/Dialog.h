#pragma once

#include "Control.h"
#include "ControlTable.h"
#include "Dispatcher.h"
#include "Form.h"
#include "FormLayout.h"
#include "Picture.h"

#include <deque>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

namespace forms {

// A dialog window: the geometry model of a Form and the controls of its
// stored table. It is loaded when it is made and lives until it is unloaded,
// by a handler or by the user closing it from its frame.
class Dialog {
  public:
    Dialog(const FormLayout& layout, std::span<const ControlRow> controls, Dispatcher& dispatcher);
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    Form form;

    // The plain control of that name; throws std::out_of_range for an unknown name.
    Control& control(std::string_view name);
    // The controls of a control array, by index.
    std::vector<Control*> array(std::string_view name);
    // Every control, in the order of the table.
    std::deque<Control>& controls() { return controls_; }

    const forms::Picture& Icon() const { return icon_; }
    void Icon(forms::Picture icon);

    // Closes the window; nothing of it is used afterwards.
    void Unload();
    bool Loaded() const { return loaded_; }

    // From the view: the user closed the window from its frame.
    void viewClosed() { loaded_ = false; }

    // For the view.
    std::function<void()> iconChanged;
    std::function<void()> unloaded;

  private:
    std::deque<Control> controls_; // deque: addresses stay put while the table is read
    forms::Picture icon_;
    bool loaded_ = true;
};

} // namespace forms
