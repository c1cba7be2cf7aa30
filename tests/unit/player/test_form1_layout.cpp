// The player window as it stands before its load event.
#include "support/Form1Harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> captions(const forms::MenuItem& menu)
{
    std::vector<std::string> result;
    for (const forms::MenuItem* child : menu.Children())
        result.push_back(child->Caption());
    return result;
}

TEST(Form1LayoutTest, WindowComponentsAndFields)
{
    Form1Harness h;
    EXPECT_EQ(h.form().Caption(), "Zadudu Divir Edever");
    EXPECT_EQ(h.form().Border(), forms::BorderStyle::Sizable);
    EXPECT_EQ(h.f().cdlg1.Filter(), "All Movie Files|*.mpeg;*.mpe;*.mpg;*.avi;*.mov;*.dat;*.mp3|All Files|*.*");
    EXPECT_EQ(h.f().vcdtrack, 0);
    EXPECT_FALSE(h.f().vcdvideo);
    EXPECT_TRUE(h.mov1.Visible());
}

TEST(Form1LayoutTest, MenusInScreenOrderWithTheirStartStates)
{
    Form1Harness h;
    player::Form1& f = h.f();
    std::vector<std::string> bar;
    for (const forms::MenuItem* item : f.menus.topLevel())
        bar.push_back(item->Caption());
    EXPECT_EQ(bar, (std::vector<std::string>{"&File", "&Setting", "&Help"}));
    EXPECT_EQ(captions(f.pop1), (std::vector<std::string>{"&Open", "&Play Video CD", "&Compact", "&Recent Files"}));
    EXPECT_EQ(captions(f.sett), (std::vector<std::string>{"Display &Back Color", "Display &Fore Color", "&Movie Size",
                                                          "Display &Frames", "Always On &Top"}));
    EXPECT_EQ(captions(f.zom),
              (std::vector<std::string>{"&Original Size", "&Double Size", "&50% of Screen", "&25% Of Screen"}));
    EXPECT_EQ(captions(f.sd2e2), (std::vector<std::string>{"&About"}));

    EXPECT_EQ(f.opn.Shortcut(), "Ctrl+O");
    EXPECT_EQ(f.vcd.Shortcut(), "Ctrl+V");
    EXPECT_FALSE(f.ful.Enabled());
    EXPECT_FALSE(f.poprec.Enabled());
    EXPECT_FALSE(f.sett.Enabled());
    EXPECT_FALSE(f.altop.Checked());

    ASSERT_EQ(f.rec.size(), 5u);
    EXPECT_EQ(captions(f.poprec), (std::vector<std::string>(5, "")));
    for (std::size_t i = 0; i < f.rec.size(); ++i) {
        EXPECT_EQ(f.rec[i]->Index(), static_cast<int>(i));
        EXPECT_TRUE(f.rec[i]->Enabled());
        EXPECT_EQ(f.rec[i]->Visible(), i == 0);
    }
    // Every item that has no submenu has a handler.
    for (forms::MenuItem* item : f.menus.all()) {
        if (item->Children().empty()) {
            EXPECT_TRUE(static_cast<bool>(item->Click)) << item->Name();
        }
    }
}

} // namespace
