// The player window on a real Qt window: menus, shortcuts, keys and user resizes
// reach the same handlers as in the model.
#include "support/FakeMediaControl.h"
#include "support/Fakes.h"

#include "Form1.h"
#include "QtFormView.h"

#include <QAction>
#include <QMenuBar>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct QtFormViewTest : ::testing::Test, fakes::Services {
    fakes::MediaControl mov1;
    QWidget movieWidget;
    player::Form1 form1{mov1, forForm1()};
    forms::QtFormView view{form1.form, form1.menus};

    void SetUp() override
    {
        view.host(mov1, movieWidget);
        form1.form.attach(view);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        // The window reports where it is and how big once its first burst of events is over.
        ASSERT_TRUE(QTest::qWaitFor([this] { return reported(); }, 5000));
    }

    // The model holds the window's place and client size as the window has them.
    bool reported() const
    {
        const QPoint at = view.frameGeometry().topLeft();
        const QSize client = view.centralWidget()->size();
        return std::lround(form1.form.Left() / 15) == at.x() && std::lround(form1.form.Top() / 15) == at.y() &&
               form1.form.ScaleWidth() == client.width() * 15 && form1.form.ScaleHeight() == client.height() * 15;
    }

    QAction* action(const char* name) { return view.findChild<QAction*>(name); }
};

TEST_F(QtFormViewTest, ClientAreaBelowTheMenuBarHasTheStoredSize)
{
    EXPECT_EQ(view.centralWidget()->size(), QSize(382, 366));
    EXPECT_EQ(view.windowTitle(), "Zadudu Divir Edever");
    // The widget sits at the nearest pixel of the model's exact twips.
    EXPECT_EQ(movieWidget.geometry(),
              QRect(int(std::lround(mov1.Left() / 15)), int(std::lround(mov1.Top() / 15)), 345, 329));
    EXPECT_EQ(form1.form.ScaleWidth(), 5730);
    EXPECT_EQ(form1.form.ScaleHeight(), 5490);
}

TEST_F(QtFormViewTest, ShortcutsRaiseTheSameHandlersAsTheMenuItems)
{
    std::vector<std::string> raised;
    form1.opn.Click = [&] { raised.push_back("opn"); };
    form1.vcd.Click = [&] { raised.push_back("vcd"); };

    QTest::keyClick(&view, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_V, Qt::ControlModifier);
    action("opn")->trigger();
    action("vcd")->trigger();
    EXPECT_EQ(raised, (std::vector<std::string>{"opn", "vcd", "opn", "vcd"}));
}

TEST_F(QtFormViewTest, DisabledItemsCannotBeChosenUntilTheModelEnablesThem)
{
    int compact = 0;
    form1.ful.Click = [&] { ++compact; };
    QAction* ful = action("ful");
    QAction* sett = view.findChild<QMenu*>("sett")->menuAction();
    ASSERT_NE(ful, nullptr);
    EXPECT_FALSE(ful->isEnabled());
    EXPECT_FALSE(sett->isEnabled());
    ful->trigger();
    EXPECT_EQ(compact, 0);

    form1.ful.Enabled(true);
    form1.sett.Enabled(true);
    EXPECT_TRUE(sett->isEnabled());
    ful->trigger();
    EXPECT_EQ(compact, 1);

    // Captions, visibility and check marks follow the model too.
    form1.rec[2]->Caption("/films/a b.mpg");
    form1.rec[2]->Visible(true);
    EXPECT_EQ(action("rec_2")->text(), "/films/a b.mpg");
    // A file name's "&" is shown, not taken as an access key; the caption stays the path.
    form1.rec[3]->Caption("/films/Tom & Jerry.avi");
    EXPECT_EQ(action("rec_3")->text(), "/films/Tom && Jerry.avi");
    EXPECT_EQ(form1.rec[3]->Caption(), "/films/Tom & Jerry.avi");
    EXPECT_EQ(action("opn")->text().count('&'), 1);
    EXPECT_TRUE(action("rec_2")->isVisible());
    form1.altop.Checked(true);
    EXPECT_TRUE(action("altop")->isChecked());
}

TEST_F(QtFormViewTest, ACheckMarkChangesOnlyWhenTheHandlerChangesIt)
{
    form1.altop.Click = [] {};
    action("altop")->trigger();
    EXPECT_FALSE(action("altop")->isChecked());
    form1.altop.Click = [&] { form1.altop.Checked(!form1.altop.Checked()); };
    action("altop")->trigger();
    EXPECT_TRUE(action("altop")->isChecked());
}

TEST_F(QtFormViewTest, KeysReachTheWindowWhileTheControlIsHidden)
{
    std::vector<int> keys;
    form1.form.KeyPress = [&](std::int16_t& key) { keys.push_back(key); };
    mov1.Visible(false);
    EXPECT_FALSE(movieWidget.isVisible());

    QTest::keyClicks(&view, "vV");
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClick(&view, Qt::Key_Backspace);
    QTest::keyClick(&view, Qt::Key_Escape);
    QTest::keyClick(&view, Qt::Key_F5); // types nothing
    EXPECT_EQ(keys, (std::vector<int>{'v', 'V', 13, 8, 27}));
}

TEST_F(QtFormViewTest, UserResizeReCentresAVisibleControl)
{
    const QSize before = view.size();
    view.resize(before + QSize(200, 100));
    // The window reports its size once the burst of events is over.
    ASSERT_TRUE(QTest::qWaitFor([&] { return form1.form.ScaleWidth() != 382 * 15; }, 5000));

    EXPECT_EQ(form1.form.ScaleWidth(), (382 + 200) * 15);
    EXPECT_EQ(form1.form.ScaleHeight(), (366 + 100) * 15);
    const float left = (form1.form.ScaleWidth() - mov1.Width()) / 2;
    const float top = (form1.form.ScaleHeight() - mov1.Height()) / 2;
    EXPECT_EQ(mov1.Left(), left);
    EXPECT_EQ(mov1.Top(), top);
    EXPECT_EQ(movieWidget.geometry().topLeft(), QPoint(int(std::lround(left / 15)), int(std::lround(top / 15))));
}

TEST_F(QtFormViewTest, ProgramResizeIsTakenAtOnceAndRaisesNoSecondEvent)
{
    int events = 0;
    const auto handler = form1.form.Resize;
    form1.form.Resize = [&] {
        ++events;
        handler();
    };
    mov1.sizes[3] = {600 * 15, 400 * 15};
    form1.four_Click();
    EXPECT_EQ(form1.form.ScaleWidth(), 600 * 15);
    EXPECT_EQ(form1.form.ScaleHeight(), 400 * 15);
    const int settled = events;
    QTest::qWait(500);
    EXPECT_EQ(events, settled); // the window's own late reports match the model
    EXPECT_EQ(view.centralWidget()->size(), QSize(600, 400));
    EXPECT_EQ(movieWidget.geometry(), QRect(0, 0, 600, 400));
}

} // namespace
