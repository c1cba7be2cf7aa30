#pragma once

#include "FormView.h"

#include <optional>

namespace forms {

class Form;

// A window without a screen, for tests: a fixed frame allowance, optional size
// limits and optional rounding to whole pixels, applied at once.
class HeadlessFormView : public FormView {
  public:
    struct Options {
        TwipsSize frame{120, 1020}; // borders, title bar and menu bar
        std::optional<TwipsSize> minimum;
        std::optional<TwipsSize> maximum;
        bool roundToPixels = false;
    };

    HeadlessFormView();
    explicit HeadlessFormView(Options options);
    void connect(Form& form) { form_ = &form; }

    TwipsSize resizeOuter(TwipsSize requested) override;
    void moveOuter(TwipsPoint topLeft) override;
    TwipsSize frameAllowance() const override { return options_.frame; }
    void setWindowState(WindowState state) override;
    std::uintptr_t nativeHandle() const override { return 0x5a; }

    // What a user would do with the mouse.
    void userResize(TwipsSize outer);
    void userSetState(WindowState state);

    int resizeRequests() const { return resizeRequests_; }
    int moves() const { return moves_; }
    TwipsSize size() const { return size_; }
    TwipsPoint position() const { return position_; }

  private:
    Options options_;
    Form* form_ = nullptr;
    TwipsSize size_;
    TwipsPoint position_;
    int resizeRequests_ = 0;
    int moves_ = 0;
};

} // namespace forms
