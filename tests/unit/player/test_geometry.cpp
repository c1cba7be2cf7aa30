// The movie stays centred in the window, the window grows to fit it, the size
// commands fit the window round it and centre it on the screen.
#include "support/Form1Harness.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

using forms::TwipsSize;

// Default headless frame: 120 twips of borders, 1020 of title and menu bar.
constexpr float FrameW = 120;
constexpr float FrameH = 1020;

struct GeometryTest : ::testing::Test {
    Form1Harness h;
    player::Form1& f = h.f();
    forms::Form& form = h.form();
    fakes::MediaControl& mov1 = h.mov1;

    // Gives the control a size as the real one does: through MovieSize.
    void controlSize(float width, float height)
    {
        mov1.sizes[0] = {width, height};
        mov1.MovieSize(0);
    }
};

TEST_F(GeometryTest, StartsWithTheStoredClientAreaAndControlPlacement)
{
    EXPECT_EQ(form.ScaleWidth(), 5730);
    EXPECT_EQ(form.ScaleHeight(), 5490);
    EXPECT_EQ(mov1.Left(), 240);
    EXPECT_EQ(mov1.Top(), 240);
    EXPECT_EQ(mov1.Width(), 5175);
    EXPECT_EQ(mov1.Height(), 4935);
}

TEST_F(GeometryTest, CentringKeepsHalfTwips)
{
    f.Form_Resize();
    EXPECT_EQ(mov1.Left(), 277.5f); // (5730 - 5175) / 2
    EXPECT_EQ(mov1.Top(), 277.5f);  // (5490 - 4935) / 2
}

TEST_F(GeometryTest, GrowsOnlyWhenTheControlIsStrictlyLarger)
{
    controlSize(5730, 100);
    const int before = h.view.resizeRequests();
    f.Resize_Movie();
    EXPECT_EQ(h.view.resizeRequests(), before);
    EXPECT_EQ(form.Width(), 5730 + FrameW);

    controlSize(5731, 100);
    f.Resize_Movie();
    EXPECT_EQ(form.Width(), 5731 + FrameW);
    EXPECT_EQ(form.Height(), 5490 + FrameH); // the height was never too small

    controlSize(100, 5491);
    f.Resize_Movie();
    EXPECT_EQ(form.Height(), 5491 + FrameH);
}

TEST_F(GeometryTest, ResizeNeverShrinksButCompactFitsExactly)
{
    controlSize(3000, 2000.5f);
    f.Form_Resize();
    EXPECT_EQ(form.ScaleWidth(), 5730);
    EXPECT_EQ(form.ScaleHeight(), 5490);
    EXPECT_EQ(mov1.Left(), 1365);
    EXPECT_EQ(mov1.Top(), 1744.75f);

    f.ful_Click();
    EXPECT_EQ(form.Width(), 3000 + FrameW);
    EXPECT_EQ(form.Height(), 2000.5f + FrameH);
    EXPECT_EQ(form.ScaleWidth(), 3000);
    // The resize events of the exact fit re-centred the control at the client origin.
    EXPECT_EQ(mov1.Left(), 0);
    EXPECT_EQ(mov1.Top(), 0);
}

TEST_F(GeometryTest, MaximisedOrMinimisedWindowIsNeitherSizedNorMoved)
{
    for (auto state : {forms::WindowState::Maximized, forms::WindowState::Minimized}) {
        Form1Harness other;
        other.view.userSetState(state);
        const TwipsSize size{other.form().Width(), other.form().Height()};
        const int requests = other.view.resizeRequests();
        other.mov1.video = {9000, 8000};

        other.f().four_Click();
        EXPECT_EQ(other.mov1.movieSize, 3);
        EXPECT_EQ(other.view.resizeRequests(), requests);
        EXPECT_EQ(other.view.moves(), 0);
        // Re-centred all the same, overhanging both sides equally.
        EXPECT_EQ(other.mov1.Left(), (5730 - 9000) / 2.0f);
        EXPECT_EQ(other.mov1.Top(), (5490 - 8000) / 2.0f);

        other.f().ful_Click();
        EXPECT_EQ(other.view.resizeRequests(), requests);
        EXPECT_EQ((TwipsSize{other.form().Width(), other.form().Height()}), size);
    }
}

TEST_F(GeometryTest, HiddenControlIsNeverMovedButASizeCommandStillFitsAndCentres)
{
    mov1.Visible(false);
    h.view.userResize({9000, 9000});
    EXPECT_EQ(mov1.Left(), 240);
    EXPECT_EQ(mov1.Top(), 240);
    EXPECT_EQ(form.Width(), 9000); // and no growing either

    mov1.video = {4000, 3000};
    f.orig_Click();
    EXPECT_EQ(mov1.Left(), 240);
    EXPECT_EQ(form.Width(), 4000 + FrameW);
    EXPECT_EQ(form.Height(), 3000 + FrameH);
    EXPECT_EQ(form.Left(), (1024 * 15 - (4000 + FrameW)) / 2);
    EXPECT_EQ(form.Top(), (768 * 15 - (3000 + FrameH)) / 2);
}

TEST_F(GeometryTest, AllignCentresOnTheScreenWithoutClamping)
{
    mov1.Visible(false);
    form.Width(6000);
    form.Height(5000);
    f.allign();
    EXPECT_EQ(form.Left(), 4680);
    EXPECT_EQ(form.Top(), 3260);
    EXPECT_EQ(h.view.position(), (forms::TwipsPoint{4680, 3260}));

    h.metrics.width = 640;
    h.metrics.height = 480;
    form.Width(12000);
    form.Height(9000);
    f.allign();
    EXPECT_EQ(form.Left(), -1200);
    EXPECT_EQ(form.Top(), -900);
}

TEST_F(GeometryTest, AllignOverflowLeavesTheWindowWhereItWas)
{
    h.metrics.height = INT_MAX / 10;
    EXPECT_THROW(f.allign(), forms::RuntimeError);
    EXPECT_EQ(h.view.moves(), 0);
    EXPECT_EQ(form.Left(), 0);
}

TEST_F(GeometryTest, EachSizeCommandPutsItsOwnMovieSize)
{
    f.half.Click();
    EXPECT_EQ(mov1.movieSize, 4);
    f.four.Click();
    EXPECT_EQ(mov1.movieSize, 3);
    f.orig.Click();
    EXPECT_EQ(mov1.movieSize, 0);
    f.double_.Click();
    EXPECT_EQ(mov1.movieSize, 1);
}

TEST_F(GeometryTest, SizeCommandLeavesTheClientAreaExactlyRoundTheControl)
{
    struct Case {
        std::int32_t movieSize;
        TwipsSize control;
    };
    for (Case c : {Case{3, {7680, 6420}}, Case{1, {10560, 9600.5f}}, Case{4, {300, 200}}, Case{0, {5730, 5490}}}) {
        Form1Harness other;
        other.mov1.sizes[c.movieSize] = c.control;
        switch (c.movieSize) {
        case 0:
            other.f().orig_Click();
            break;
        case 1:
            other.f().double_Click();
            break;
        case 3:
            other.f().four_Click();
            break;
        case 4:
            other.f().half_Click();
            break;
        }
        SCOPED_TRACE(c.movieSize);
        EXPECT_EQ(other.form().ScaleWidth(), c.control.width);
        EXPECT_EQ(other.form().ScaleHeight(), c.control.height);
        EXPECT_EQ(other.mov1.Left(), other.form().ScaleLeft());
        EXPECT_EQ(other.mov1.Top(), other.form().ScaleTop());
        EXPECT_EQ(other.form().Left(), (15360 - other.form().Width()) / 2);
        EXPECT_EQ(other.form().Top(), (11520 - other.form().Height()) / 2);
    }
}

TEST_F(GeometryTest, NestedResizeEventsStaySmallAndFinite)
{
    int events = 0;
    int depth = 0;
    int deepest = 0;
    const auto handler = form.Resize;
    form.Resize = [&] {
        ++events;
        ++depth;
        deepest = std::max(deepest, depth);
        handler();
        --depth;
    };
    mov1.sizes[3] = {9000, 7000};
    f.four_Click();
    EXPECT_GE(events, 2);
    EXPECT_LE(events, 4);
    EXPECT_LE(deepest, 3);
    EXPECT_EQ(form.ScaleWidth(), 9000);
    EXPECT_EQ(form.ScaleHeight(), 7000);
}

TEST(GeometryLimitsTest, AWindowThatCannotGrowFurtherEndsTheNesting)
{
    // A window manager that caps the size, and one that rounds to pixels.
    forms::HeadlessFormView::Options capped;
    capped.maximum = TwipsSize{6000, 6000};
    forms::HeadlessFormView::Options pixels;
    pixels.roundToPixels = true;
    for (const auto& options : {capped, pixels}) {
        Form1Harness h(options);
        int events = 0;
        const auto handler = h.form().Resize;
        h.form().Resize = [&] {
            ASSERT_LT(++events, 20) << "resize events do not end";
            handler();
        };
        h.mov1.sizes[1] = {8007.5f, 9001.25f};
        h.f().double_Click();
        EXPECT_LE(events, 6);
        if (options.maximum) {
            EXPECT_EQ(h.form().Width(), 6000);
            EXPECT_EQ(h.form().Height(), 6000);
        } else {
            EXPECT_EQ(static_cast<int>(h.form().Width()) % 15, 0);
        }
    }
}

} // namespace
