// The Setting menu's display options: position unit, display colours, always on top.
// The menu items themselves are the only record of the two toggles.
#include "Form1.h"

namespace player {

namespace {

constexpr std::string_view ShowsTime = "Display &Frames"; // the next click switches to frames
constexpr std::string_view ShowsFrames = "Display &Time";

} // namespace

void Form1::dis_Click()
{
    // The caption alone decides; the control's own unit is never asked.
    if (dis.Caption() == ShowsTime) {
        Mov1.DisplayUnit(1);
        dis.Caption(std::string(ShowsFrames));
    } else {
        Mov1.DisplayUnit(0);
        dis.Caption(std::string(ShowsTime));
    }
}

void Form1::pickColor(std::int32_t (media::MediaControl::*get)() const, void (media::MediaControl::*put)(std::int32_t))
{
    // A failure here leaves the picker closed and reaches the user.
    cdlg1.Color((Mov1.*get)());

    // From here on failures are passed over, so that whatever colour the
    // dialog holds (the old one after a cancel) always goes back to the control.
    try {
        cdlg1.ShowColor();
    } catch (...) {
    }
    try {
        (Mov1.*put)(cdlg1.Color());
    } catch (...) {
    }
}

void Form1::bac_Click()
{
    pickColor(static_cast<std::int32_t (media::MediaControl::*)() const>(&media::MediaControl::DisplayBackColor),
              static_cast<void (media::MediaControl::*)(std::int32_t)>(&media::MediaControl::DisplayBackColor));
}

void Form1::fore_Click()
{
    pickColor(static_cast<std::int32_t (media::MediaControl::*)() const>(&media::MediaControl::DisplayForeColor),
              static_cast<void (media::MediaControl::*)(std::int32_t)>(&media::MediaControl::DisplayForeColor));
}

void Form1::altop_Click()
{
    const std::intptr_t insertAfter = altop.Checked() ? platform::HWND_NOTOPMOST : platform::HWND_TOPMOST;
    // The answer is not looked at: the mark records what the user asked for.
    services_.stacking.SetWindowPos(form.hWnd(), insertAfter, 0, 0, 0, 0, platform::SWP_NOMOVE | platform::SWP_NOSIZE);
    altop.Checked(!altop.Checked());
}

} // namespace player
