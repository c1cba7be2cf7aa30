// The About dialog's stored layout.
#include "frmAbout.h"

#include <array>

namespace about {

namespace {

using forms::ControlKind;
using forms::ControlRow;
using forms::rgb;
using forms::StoredFont;

constexpr StoredFont Arial9{"Arial", 9.0f, true};

// Stacking order, the back first. The white line lies under the grey one so
// that the two read as one etched rule.
constexpr auto frmAboutRows = std::to_array<ControlRow>({
    {.name = "picIcon", .kind = ControlKind::PictureBox, .left = 240, .top = 120, .width = 540, .height = 540},
    {.name = "lblTitle",
     .kind = ControlKind::Label,
     .left = 1050,
     .top = 120,
     .width = 3885,
     .height = 480,
     .caption = "Zelvo Movie Player",
     .font = {"Arial", 14.25f, true},
     .foreColor = rgb(0, 0, 255)},
    {.name = "lblVersion",
     .kind = ControlKind::Label,
     .left = 1080,
     .top = 600,
     .width = 3885,
     .height = 225,
     .caption = "Version " ZELVO_VERSION,
     .font = {"MS Sans Serif", 9.75f, true},
     .foreColor = rgb(255, 0, 0)},
    {.name = "Frame1",
     .kind = ControlKind::Frame,
     .left = 960,
     .top = 960,
     .width = 4335,
     .height = 1215,
     .caption = "About"},
    {.name = "lblDescription",
     .kind = ControlKind::Label,
     .container = "Frame1",
     .left = 240,
     .top = 360,
     .width = 3525,
     .height = 810,
     .caption = "Zelvo Movie Player is a really zelvo movie player. It is fast and easy to use. You can play "
                "Video CD's with just a mouse click.",
     .font = Arial9,
     .foreColor = rgb(0, 0, 0)},
    {.name = "Line1",
     .index = 0,
     .kind = ControlKind::Line,
     .x1 = 120,
     .y1 = 2400,
     .x2 = 5669,
     .y2 = 2400,
     .foreColor = rgb(255, 255, 255),
     .borderWidth = 2},
    {.name = "Line1",
     .index = 1,
     .kind = ControlKind::Line,
     .x1 = 90,
     .y1 = 2400,
     .x2 = 5654,
     .y2 = 2400,
     .foreColor = rgb(128, 128, 128),
     .borderWidth = 1},
    {.name = "Label1",
     .kind = ControlKind::Label,
     .left = 240,
     .top = 2640,
     .width = 3765,
     .height = 810,
     .caption = "Written by the Zelvo team for everyone who likes a quiet, simple player. Enjoy the show!",
     .font = Arial9,
     .foreColor = forms::SystemWindowText,
     .backColor = rgb(255, 255, 192)},
    {.name = "cmdOK",
     .kind = ControlKind::CommandButton,
     .left = 4200,
     .top = 2625,
     .width = 1260,
     .height = 345,
     .caption = "OK",
     .tabIndex = 0,
     .isDefault = true,
     .isCancel = true},
    {.name = "cmdSysInfo",
     .kind = ControlKind::CommandButton,
     .left = 4260,
     .top = 3075,
     .width = 1245,
     .height = 345,
     .caption = "&System Info...",
     .tabIndex = 1},
});

} // namespace

const forms::FormLayout& frmAboutLayout()
{
    static const forms::FormLayout layout{"About MyApp", forms::BorderStyle::FixedDialog, 5730, 3630, {}};
    return layout;
}

std::span<const forms::ControlRow> frmAboutControls()
{
    return frmAboutRows;
}

} // namespace about
