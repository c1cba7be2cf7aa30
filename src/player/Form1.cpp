#include "Form1.h"

#include <array>
#include <utility>

namespace player {

namespace {

using forms::MenuRow;

// The menu bar in screen order.
constexpr auto Form1Menus = std::to_array<MenuRow>({
    {"pop1", "", -1, "&File", "", true, true, false},
    {"opn", "pop1", -1, "&Open", "Ctrl+O", true, true, false},
    {"vcd", "pop1", -1, "&Play Video CD", "Ctrl+V", true, true, false},
    {"ful", "pop1", -1, "&Compact", "", false, true, false},
    {"poprec", "pop1", -1, "&Recent Files", "", false, true, false},
    {"rec", "poprec", 0, "", "", true, true, false},
    {"rec", "poprec", 1, "", "", true, false, false},
    {"rec", "poprec", 2, "", "", true, false, false},
    {"rec", "poprec", 3, "", "", true, false, false},
    {"rec", "poprec", 4, "", "", true, false, false},
    {"sett", "", -1, "&Setting", "", false, true, false},
    {"bac", "sett", -1, "Display &Back Color", "", true, true, false},
    {"fore", "sett", -1, "Display &Fore Color", "", true, true, false},
    {"zom", "sett", -1, "&Movie Size", "", true, true, false},
    {"orig", "zom", -1, "&Original Size", "", true, true, false},
    {"double", "zom", -1, "&Double Size", "", true, true, false},
    {"half", "zom", -1, "&50% of Screen", "", true, true, false},
    {"four", "zom", -1, "&25% Of Screen", "", true, true, false},
    {"dis", "sett", -1, "Display &Frames", "", true, true, false},
    {"altop", "sett", -1, "Always On &Top", "", true, true, false},
    {"sd2e2", "", -1, "&Help", "", true, true, false},
    {"about", "sd2e2", -1, "&About", "", true, true, false},
});

} // namespace

const forms::FormLayout& form1Layout()
{
    static const forms::FormLayout layout{
        "Zadudu Divir Edever", forms::BorderStyle::Sizable, 5730, 5490, Form1Menus,
    };
    return layout;
}

Form1::Form1(media::MediaControl& mov1, Form1Services services)
    : dispatcher(services.boxes), form(form1Layout(), dispatcher), menus(form1Layout().menus), Mov1(mov1),
      cdlg1(services.cdlg1), pop1(menus.item("pop1")), opn(menus.item("opn")), vcd(menus.item("vcd")),
      ful(menus.item("ful")), poprec(menus.item("poprec")), rec(menus.array("rec")), sett(menus.item("sett")),
      bac(menus.item("bac")), fore(menus.item("fore")), zom(menus.item("zom")), orig(menus.item("orig")),
      double_(menus.item("double")), half(menus.item("half")), four(menus.item("four")), dis(menus.item("dis")),
      altop(menus.item("altop")), sd2e2(menus.item("sd2e2")), about(menus.item("about")), services_(std::move(services))
{
    Mov1.place(Mov1Placement.left, Mov1Placement.top, Mov1Placement.width, Mov1Placement.height);
    cdlg1.Filter(std::string(OpenFilter));
    wireEvents();
}

void Form1::wireEvents()
{
    form.Load = [this] { Form_Load(); };
    form.Resize = [this] { Form_Resize(); };
    form.KeyPress = [this](std::int16_t& key) { Form_KeyPress(key); };
    form.FileDrop = [this](const std::string& path) { Form_FileDrop(path); };

    // The control's notifications are events like any other: through the dispatcher.
    Mov1.OpenComplete = [this] { dispatcher.run([this] { Mov1_OpenComplete(); }); };
    Mov1.KeyPress = [this](std::int16_t& key) { dispatcher.run([this, &key] { Mov1_KeyPress(key); }); };

    opn.Click = [this] { opn_Click(); };
    vcd.Click = [this] { vcd_Click(); };
    ful.Click = [this] { ful_Click(); };
    for (std::size_t i = 0; i < rec.size(); ++i)
        rec[i]->Click = [this, i] { rec_Click(static_cast<std::int16_t>(i)); };
    bac.Click = [this] { bac_Click(); };
    fore.Click = [this] { fore_Click(); };
    orig.Click = [this] { orig_Click(); };
    double_.Click = [this] { double_Click(); };
    half.Click = [this] { half_Click(); };
    four.Click = [this] { four_Click(); };
    dis.Click = [this] { dis_Click(); };
    altop.Click = [this] { altop_Click(); };
    about.Click = [this] { about_Click(); };
}

void Form1::about_Click()
{
    if (services_.showAbout)
        services_.showAbout();
}

} // namespace player
