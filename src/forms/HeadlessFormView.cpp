#include "HeadlessFormView.h"

#include "Form.h"

#include <algorithm>
#include <cmath>

namespace forms {

HeadlessFormView::HeadlessFormView() : HeadlessFormView(Options{}) {}

HeadlessFormView::HeadlessFormView(Options options) : options_(options) {}

TwipsSize HeadlessFormView::resizeOuter(TwipsSize requested)
{
    ++resizeRequests_;
    TwipsSize given = requested;
    if (options_.minimum) {
        given.width = std::max(given.width, options_.minimum->width);
        given.height = std::max(given.height, options_.minimum->height);
    }
    if (options_.maximum) {
        given.width = std::min(given.width, options_.maximum->width);
        given.height = std::min(given.height, options_.maximum->height);
    }
    if (options_.roundToPixels) {
        given.width = std::round(given.width / TwipsPerPixel) * TwipsPerPixel;
        given.height = std::round(given.height / TwipsPerPixel) * TwipsPerPixel;
    }
    size_ = given;
    return given;
}

void HeadlessFormView::moveOuter(TwipsPoint topLeft)
{
    ++moves_;
    position_ = topLeft;
}

void HeadlessFormView::setWindowState(WindowState state)
{
    userSetState(state);
}

void HeadlessFormView::userResize(TwipsSize outer)
{
    size_ = outer;
    if (form_)
        form_->viewResized(outer);
}

void HeadlessFormView::userSetState(WindowState state)
{
    if (form_)
        form_->viewStateChanged(state);
}

} // namespace forms
