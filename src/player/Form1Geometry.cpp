// Keeps the movie centred in the window and the window fitted round the movie.
#include "Form1.h"

#include "RuntimeError.h"

namespace player {

namespace {

// Operands are single precision, each expression is worked out in double and
// rounded once when it is stored; nothing is rounded to whole twips.
float single(double value)
{
    return static_cast<float>(value);
}

std::int32_t pixelsToTwips(int pixels)
{
    std::int32_t twips = 0;
    if (__builtin_mul_overflow(static_cast<std::int32_t>(pixels), std::int32_t{15}, &twips))
        throw forms::RuntimeError("Overflow");
    return twips;
}

} // namespace

void Form1::Form_Resize()
{
    if (!Mov1.Visible())
        return;
    Mov1.Left(single((double(form.ScaleWidth()) - double(Mov1.Width())) / 2 + double(form.ScaleLeft())));
    Mov1.Top(single((double(form.ScaleHeight()) - double(Mov1.Height())) / 2 + double(form.ScaleTop())));
    Resize_Movie();
}

void Form1::Resize_Movie()
{
    if (form.WindowState() != 0)
        return;
    if (Mov1.Width() > form.ScaleWidth())
        form.Width(single(double(Mov1.Width()) + double(form.Width()) - double(form.ScaleWidth())));
    // Read afresh: the width change above may have resized the window again.
    if (Mov1.Height() > form.ScaleHeight())
        form.Height(single(double(Mov1.Height()) + double(form.Height()) - double(form.ScaleHeight())));
}

void Form1::ful_Click()
{
    if (form.WindowState() != 0)
        return;
    form.Width(single(double(Mov1.Width()) + double(form.Width()) - double(form.ScaleWidth())));
    form.Height(single(double(Mov1.Height()) + double(form.Height()) - double(form.ScaleHeight())));
}

void Form1::allign()
{
    // Both products first: an overflow must leave the window where it is.
    const std::int32_t screenWidth = pixelsToTwips(services_.metrics.GetSystemMetrics(platform::SM_CXSCREEN));
    const std::int32_t screenHeight = pixelsToTwips(services_.metrics.GetSystemMetrics(platform::SM_CYSCREEN));
    form.Left(single((double(screenWidth) - double(form.Width())) / 2));
    form.Top(single((double(screenHeight) - double(form.Height())) / 2));
}

void Form1::sizeCommand(std::int32_t movieSize)
{
    Mov1.MovieSize(movieSize);
    Form_Resize();
    if (form.WindowState() == 0) {
        ful_Click();
        allign();
    }
}

void Form1::orig_Click()
{
    sizeCommand(0);
}

void Form1::double_Click()
{
    sizeCommand(1);
}

void Form1::half_Click()
{
    sizeCommand(4);
}

void Form1::four_Click()
{
    sizeCommand(3);
}

} // namespace player
