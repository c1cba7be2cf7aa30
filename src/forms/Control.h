#pragma once

#include "ControlTable.h"
#include "Picture.h"

#include <functional>
#include <string>

namespace forms {

// One control of a dialog: its stored row and the properties handlers may
// change. The model is the truth; the view follows it through `changed`.
class Control {
  public:
    explicit Control(const ControlRow& row);

    const ControlRow& row() const { return row_; }
    const std::string& Name() const { return name_; }
    // Index within a control array, or -1 for a plain control.
    int Index() const { return row_.index; }
    ControlKind Kind() const { return row_.kind; }

    const std::string& Caption() const { return caption_; }
    void Caption(std::string caption);
    const forms::Picture& Picture() const { return picture_; }
    void Picture(forms::Picture picture);

    // Raised by the view (through the dispatcher) when the user clicks the control.
    std::function<void()> Click;
    // Called after every change of caption or picture, for the view.
    std::function<void(const Control&)> changed;

  private:
    void notify();

    const ControlRow& row_;
    std::string name_;
    std::string caption_;
    forms::Picture picture_;
};

} // namespace forms
