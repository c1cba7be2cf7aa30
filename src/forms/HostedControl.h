#pragma once

#include <functional>

namespace forms {

// The extender of a control hosted on a form: where it sits in the client
// area and whether it is shown, in twips. The view places the widget at the
// nearest pixel; the model keeps the exact values.
class HostedControl {
  public:
    virtual ~HostedControl() = default;

    float Left() const { return left_; }
    void Left(float left);
    float Top() const { return top_; }
    void Top(float top);
    float Width() const { return width_; }
    float Height() const { return height_; }
    bool Visible() const { return visible_; }
    void Visible(bool visible);

    // Stored placement, applied once when the window is built.
    void place(float left, float top, float width, float height);

    // For the view: called after every change of place, size or visibility.
    std::function<void()> extenderChanged;

  protected:
    // Only the control itself decides its size.
    void setSize(float width, float height);

  private:
    void notify();

    float left_ = 0;
    float top_ = 0;
    float width_ = 0;
    float height_ = 0;
    bool visible_ = true;
};

} // namespace forms
