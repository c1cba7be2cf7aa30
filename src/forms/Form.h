#pragma once

#include "Dispatcher.h"
#include "FormLayout.h"
#include "FormView.h"
#include "Twips.h"

#include <cstdint>
#include <functional>
#include <string>

namespace forms {

// The geometry model of one window, in twips. The window on screen is a view
// of it: a size change that the program asks for raises the resize event at
// once, inside the setter, and only when the outer size really changed.
class Form {
  public:
    Form(const FormLayout& layout, Dispatcher& dispatcher);
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Connects the view and gives it the stored client size.
    void attach(FormView& view);

    const std::string& Caption() const { return caption_; }
    BorderStyle Border() const { return border_; }

    float Left() const { return position_.x; }
    void Left(float left);
    float Top() const { return position_.y; }
    void Top(float top);
    float Width() const { return outer_.width; }
    void Width(float width);
    float Height() const { return outer_.height; }
    void Height(float height);

    float ScaleLeft() const { return 0; }
    float ScaleTop() const { return 0; }
    float ScaleWidth() const;
    float ScaleHeight() const;

    int WindowState() const { return static_cast<int>(state_); }
    void WindowState(int state);

    std::uintptr_t hWnd() const;

    Dispatcher& dispatcher() { return dispatcher_; }

    // Events. Load and KeyPress come through the dispatcher; Resize is raised
    // directly, nested inside whatever changed the size.
    std::function<void()> Load;
    std::function<void()> Resize;
    std::function<void(std::int16_t&)> KeyPress;
    // A local file dropped on the window; through the dispatcher.
    std::function<void(const std::string&)> FileDrop;

    // Runs the load event once.
    void load();

    // From the view: what the user or the window manager did.
    void viewResized(TwipsSize outer);
    void viewMoved(TwipsPoint topLeft);
    void viewStateChanged(forms::WindowState state);
    // A new state and size together (maximising changes both): one resize event.
    void viewChanged(forms::WindowState state, TwipsSize outer);
    // The window manager told the frame's size after the view attached: the
    // outer size takes it in, the window itself unchanged, so no resize event.
    void viewFrameAnnounced(TwipsSize outer) { outer_ = outer; }
    void viewKeyPress(std::int16_t code);
    void viewFileDropped(const std::string& path);

  private:
    FormView& view() const;
    void takeOuterSize(TwipsSize outer);

    Dispatcher& dispatcher_;
    std::string caption_;
    BorderStyle border_;
    TwipsSize client_; // stored client size, used when the view attaches
    TwipsSize outer_;
    TwipsPoint position_;
    forms::WindowState state_ = forms::WindowState::Normal;
    FormView* view_ = nullptr;
};

} // namespace forms
