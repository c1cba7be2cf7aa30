// The forms layer's promises that the window behaviour is built on.
#include "support/Fakes.h"

#include "Form.h"
#include "HeadlessFormView.h"
#include "MenuBar.h"

#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <utility>
#include <vector>

namespace {

constexpr forms::FormLayout layout{"Test", forms::BorderStyle::Sizable, 3000, 2000, {}};

struct FormsTest : ::testing::Test {
    fakes::MessageBoxes boxes;
    forms::Dispatcher dispatcher{boxes};
    forms::HeadlessFormView view;
    forms::Form form{layout, dispatcher};
    int resizes = 0;

    void SetUp() override
    {
        view.connect(form);
        form.attach(view);
        form.Resize = [this] { ++resizes; };
    }
};

TEST_F(FormsTest, AttachGivesTheStoredClientAreaInsideTheFrame)
{
    EXPECT_EQ(form.ScaleWidth(), 3000);
    EXPECT_EQ(form.ScaleHeight(), 2000);
    EXPECT_EQ(form.Width(), 3000 + view.frameAllowance().width);
    EXPECT_EQ(form.Height(), 2000 + view.frameAllowance().height);
    EXPECT_EQ(form.ScaleLeft(), 0);
    EXPECT_EQ(form.ScaleTop(), 0);
}

TEST_F(FormsTest, ResizeIsRaisedInsideTheSetterOnlyWhenTheSizeChanges)
{
    form.Width(form.Width());
    form.Height(form.Height());
    EXPECT_EQ(resizes, 0);

    form.Width(5000);
    EXPECT_EQ(resizes, 1); // already raised when the setter returns
    EXPECT_EQ(form.Width(), 5000);
    form.Height(4000.5f);
    EXPECT_EQ(resizes, 2);
    EXPECT_EQ(form.Height(), 4000.5f); // no rounding to whole twips in the model
}

TEST_F(FormsTest, NestedResizeFromInsideTheHandlerEnds)
{
    int depth = 0;
    int deepest = 0;
    form.Resize = [&] {
        ++resizes;
        ++depth;
        deepest = std::max(deepest, depth);
        if (form.Height() < 4000)
            form.Height(4000); // nested: raises again, once
        --depth;
    };
    form.Width(5000);
    EXPECT_EQ(resizes, 2);
    EXPECT_EQ(deepest, 2);
    EXPECT_EQ(form.Height(), 4000);
}

TEST_F(FormsTest, SizeLimitsOfTheWindowRaiseNothingWhenTheRequestCannotBeMet)
{
    forms::HeadlessFormView::Options capped;
    capped.maximum = forms::TwipsSize{6000, 6000};
    forms::HeadlessFormView limited(capped);
    forms::Form limitedForm(layout, dispatcher);
    limited.connect(limitedForm);
    limitedForm.attach(limited);
    int raised = 0;
    limitedForm.Resize = [&] { ++raised; };

    limitedForm.Width(9000);
    EXPECT_EQ(limitedForm.Width(), 6000);
    EXPECT_EQ(raised, 1);
    limitedForm.Width(9000); // the window is already as wide as it may be
    EXPECT_EQ(raised, 1);
}

TEST_F(FormsTest, PixelRoundingViewReportsTheSizeItReallyGave)
{
    forms::HeadlessFormView::Options pixels;
    pixels.roundToPixels = true;
    forms::HeadlessFormView rounding(pixels);
    forms::Form roundForm(layout, dispatcher);
    rounding.connect(roundForm);
    roundForm.attach(rounding);
    roundForm.Width(5003);
    EXPECT_EQ(roundForm.Width(), 5010); // 333.53 pixels become 334
    roundForm.Width(4997);
    EXPECT_EQ(roundForm.Width(), 4995); // 333.13 pixels become 333
}

TEST_F(FormsTest, UserResizeAndWindowStateChangesReachTheModelAsEvents)
{
    view.userResize({7000, 7000});
    EXPECT_EQ(resizes, 1);
    EXPECT_EQ(form.Width(), 7000);
    view.userResize({7000, 7000});
    EXPECT_EQ(resizes, 1);

    view.userSetState(forms::WindowState::Maximized);
    EXPECT_EQ(form.WindowState(), 2);
    EXPECT_EQ(resizes, 2);
    form.WindowState(0);
    EXPECT_EQ(form.WindowState(), 0);
    EXPECT_THROW(form.WindowState(3), forms::RuntimeError);
}

TEST_F(FormsTest, MaximisingRaisesOneEventThatSeesTheNewStateAndSizeTogether)
{
    std::vector<std::pair<int, float>> seen;
    form.Resize = [&] { seen.emplace_back(form.WindowState(), form.Width()); };
    form.viewChanged(forms::WindowState::Maximized, {15360, 11000});
    form.viewChanged(forms::WindowState::Maximized, {15360, 11000});
    EXPECT_EQ(seen, (std::vector<std::pair<int, float>>{{2, 15360}}));
}

TEST_F(FormsTest, AnErrorLeavingAHandlerIsShownAndTheProgramGoesOn)
{
    form.Load = [] { throw forms::RuntimeError("Cannot open \"x.mpg\""); };
    form.load();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0], "Cannot open \"x.mpg\"");

    // A user resize whose handler fails is reported the same way, and the next event still runs.
    form.Resize = [] { throw std::runtime_error("boom"); };
    view.userResize({8000, 8000});
    EXPECT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(form.Width(), 8000);
    std::int16_t seen = 0;
    form.KeyPress = [&](std::int16_t& key) { seen = key; };
    form.viewKeyPress(13);
    EXPECT_EQ(seen, 13);
    EXPECT_TRUE(dispatcher.run([] {}));
    EXPECT_FALSE(dispatcher.run([] { throw 42; }));
    EXPECT_EQ(boxes.shown.back(), "Unexpected error");
}

TEST_F(FormsTest, WatchersLookBeforeAndAfterEveryHandlerEvenOneThatFailed)
{
    std::vector<std::string> order;
    boxes.onShow = [&](const std::string&) { order.push_back("box"); };
    dispatcher.beforeHandler = [&] {
        order.push_back("before");
        // A view that cannot bring the model up to date does not stop the handler.
        if (order.size() > 3)
            throw std::runtime_error("no answer");
    };
    dispatcher.afterHandler = [&] { order.push_back("after"); };
    dispatcher.run([&] { order.push_back("handler"); });
    EXPECT_FALSE(dispatcher.run([] { throw forms::RuntimeError("no disc"); }));
    EXPECT_EQ(order, (std::vector<std::string>{"before", "handler", "after", "before", "box", "after"}));
}

TEST(MenuBarTest, BuildsTheTreeAndControlArraysFromTheTable)
{
    constexpr std::array<forms::MenuRow, 6> rows{{
        {"file", "", -1, "&File", "", true, true, false},
        {"open", "file", -1, "&Open", "Ctrl+O", true, true, false},
        {"recent", "file", -1, "&Recent", "", false, true, false},
        {"item", "recent", 0, "", "", true, true, false},
        {"item", "recent", 1, "", "", true, false, false},
        {"help", "", -1, "&Help", "", true, true, true},
    }};
    forms::MenuBar bar(rows);
    ASSERT_EQ(bar.topLevel().size(), 2u);
    EXPECT_EQ(bar.topLevel()[0]->Caption(), "&File");
    EXPECT_EQ(&bar.item("open"), bar.item("file").Children()[0]);
    EXPECT_EQ(bar.item("open").Parent(), &bar.item("file"));
    EXPECT_EQ(bar.item("open").Shortcut(), "Ctrl+O");
    EXPECT_FALSE(bar.item("recent").Enabled());
    EXPECT_TRUE(bar.item("help").Checked());
    auto items = bar.array("item");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(items[0]->Visible());
    EXPECT_FALSE(items[1]->Visible());
    EXPECT_EQ(items[1]->Parent(), &bar.item("recent"));
    EXPECT_THROW(bar.item("nothing"), std::out_of_range);

    int changes = 0;
    items[1]->changed = [&](const forms::MenuItem&) { ++changes; };
    items[1]->Caption("/films/a.mpg");
    items[1]->Visible(true);
    EXPECT_EQ(changes, 2);
}

TEST(MenuBarTest, AChildBeforeItsParentIsAnErrorInTheTable)
{
    constexpr std::array<forms::MenuRow, 1> rows{{{"open", "file", -1, "&Open", "", true, true, false}}};
    EXPECT_THROW(forms::MenuBar{rows}, std::logic_error);
}

} // namespace
