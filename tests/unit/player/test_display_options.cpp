// The Setting menu's display options: the position unit follows the caption of
// its item, the colour commands always give the control a colour back, and
// Always On Top asks for the other placement and flips its mark.
#include "support/Form1Harness.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t Navy = 0x00800000; // 0x00BBGGRR
constexpr std::int32_t Orange = 0x0000a5ff;

// What the user does: choose the item from the menu, through the dispatcher,
// which shows any error that leaves the handler. False when one did.
bool choose(player::Form1& f, forms::MenuItem& item)
{
    return f.dispatcher.run(item.Click);
}

// ---------------------------------------------------------------- time or frames

struct DisplayUnitTest : ::testing::Test {
    Form1Harness h;
    player::Form1& f = h.f();
};

TEST_F(DisplayUnitTest, TwoClicksSwitchToFramesAndBackToTime)
{
    ASSERT_EQ(f.dis.Caption(), "Display &Frames");

    ASSERT_TRUE(choose(f, f.dis));
    EXPECT_EQ(h.mov1.log, (std::vector<std::string>{"DisplayUnit=1"}));
    EXPECT_EQ(f.dis.Caption(), "Display &Time");

    ASSERT_TRUE(choose(f, f.dis));
    EXPECT_EQ(h.mov1.log, (std::vector<std::string>{"DisplayUnit=1", "DisplayUnit=0"}));
    EXPECT_EQ(f.dis.Caption(), "Display &Frames");
}

TEST_F(DisplayUnitTest, AnyOtherCaptionMeansTime)
{
    for (const std::string caption : {"Display &frames", "Display Frames", "", "Display &Frames "}) {
        f.dis.Caption(caption);
        h.mov1.log.clear();
        ASSERT_TRUE(choose(f, f.dis)) << caption;
        EXPECT_EQ(h.mov1.log, (std::vector<std::string>{"DisplayUnit=0"})) << caption;
        EXPECT_EQ(f.dis.Caption(), "Display &Frames") << caption;
    }
}

TEST_F(DisplayUnitTest, TheControlsOwnUnitIsNotConsulted)
{
    // Whatever the control shows now, the caption decides the next unit.
    h.mov1.DisplayUnit(1);
    h.mov1.log.clear();
    ASSERT_TRUE(choose(f, f.dis));
    EXPECT_EQ(h.mov1.log, (std::vector<std::string>{"DisplayUnit=1"}));
}

// ---------------------------------------------------------------- colours

struct ColourTest : ::testing::Test {
    Form1Harness h;
    player::Form1& f = h.f();

    void SetUp() override
    {
        h.mov1.back = Navy;
        h.mov1.fore = Orange;
    }
};

TEST_F(ColourTest, CancelGivesTheControlItsOwnColourBackOnce)
{
    h.cdlg1.nextColor.reset();
    ASSERT_TRUE(choose(f, f.bac));
    EXPECT_EQ(h.cdlg1.colorOnOpen, (std::vector<std::int32_t>{Navy}));
    EXPECT_EQ(h.mov1.log, (std::vector<std::string>{"DisplayBackColor=" + std::to_string(Navy)}));
    EXPECT_EQ(h.mov1.back, Navy);

    h.mov1.log.clear();
    ASSERT_TRUE(choose(f, f.fore));
    EXPECT_EQ(h.cdlg1.colorOnOpen, (std::vector<std::int32_t>{Navy, Orange}));
    EXPECT_EQ(h.mov1.log, (std::vector<std::string>{"DisplayForeColor=" + std::to_string(Orange)}));
    EXPECT_EQ(h.mov1.fore, Orange);
}

TEST_F(ColourTest, OkPutsThePickedValueIntoItsOwnPropertyOnly)
{
    h.cdlg1.nextColor = 0x00123456;
    ASSERT_TRUE(choose(f, f.bac));
    EXPECT_EQ(h.mov1.back, 0x00123456);
    EXPECT_EQ(h.mov1.fore, Orange);

    h.cdlg1.nextColor = 0x00fedcba;
    ASSERT_TRUE(choose(f, f.fore));
    EXPECT_EQ(h.cdlg1.colorOnOpen, (std::vector<std::int32_t>{Navy, Orange}));
    EXPECT_EQ(h.mov1.fore, 0x00fedcba);
    EXPECT_EQ(h.mov1.back, 0x00123456);
    EXPECT_EQ(h.mov1.log, (std::vector<std::string>{"DisplayBackColor=" + std::to_string(0x00123456),
                                                    "DisplayForeColor=" + std::to_string(0x00fedcba)}));
}

TEST_F(ColourTest, APickerThatFailsStillLetsTheColourGoBackWithoutAMessage)
{
    h.cdlg1.colorThrows = true;
    h.cdlg1.nextColor = 0x00123456; // never reached
    EXPECT_TRUE(choose(f, f.fore));
    EXPECT_EQ(h.cdlg1.colorPickers, 1);
    EXPECT_EQ(h.mov1.log, (std::vector<std::string>{"DisplayForeColor=" + std::to_string(Orange)}));
    EXPECT_TRUE(h.boxes.shown.empty());
}

// A control whose colour properties or unit can be made to fail.
class FailingMediaControl : public fakes::MediaControl {
  public:
    std::int32_t DisplayBackColor() const override
    {
        if (failRead)
            throw forms::RuntimeError("cannot read the colour");
        return fakes::MediaControl::DisplayBackColor();
    }
    void DisplayBackColor(std::int32_t color) override
    {
        fakes::MediaControl::DisplayBackColor(color);
        if (failPut)
            throw forms::RuntimeError("cannot set the colour");
    }
    void DisplayUnit(std::int32_t unit) override
    {
        fakes::MediaControl::DisplayUnit(unit);
        if (failUnit)
            throw forms::RuntimeError("cannot set the unit");
    }
    bool failRead = false;
    bool failPut = false;
    bool failUnit = false;
};

// The harness's window, but over the failing control.
struct FailingControlTest : ::testing::Test, fakes::Services {
    FailingMediaControl mov1;
    forms::HeadlessFormView view;
    player::Form1 f{mov1, forForm1()};

    FailingControlTest()
    {
        view.connect(f.form);
        f.form.attach(view);
        mov1.back = Navy;
    }
};

TEST_F(FailingControlTest, AFailedColourReadEndsTheCommandBeforeThePickerOpens)
{
    mov1.failRead = true;
    cdlg1.Color(Orange);
    EXPECT_FALSE(choose(f, f.bac));
    EXPECT_EQ(cdlg1.colorPickers, 0);
    EXPECT_EQ(cdlg1.Color(), Orange);
    EXPECT_TRUE(mov1.log.empty());
    EXPECT_EQ(boxes.shown, (std::vector<std::string>{"cannot read the colour"}));
}

TEST_F(FailingControlTest, AFailedColourPutIsPassedOver)
{
    mov1.failPut = true;
    cdlg1.nextColor = 0x00123456;
    EXPECT_TRUE(choose(f, f.bac));
    EXPECT_EQ(mov1.log, (std::vector<std::string>{"DisplayBackColor=" + std::to_string(0x00123456)}));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(FailingControlTest, AFailedUnitPutKeepsTheCaption)
{
    mov1.failUnit = true;
    EXPECT_FALSE(choose(f, f.dis));
    EXPECT_EQ(f.dis.Caption(), "Display &Frames");
    EXPECT_EQ(boxes.shown, (std::vector<std::string>{"cannot set the unit"}));
}

// ---------------------------------------------------------------- always on top

struct AlwaysOnTopTest : ::testing::Test {
    Form1Harness h;
    player::Form1& f = h.f();

    static void expectCall(const fakes::WindowStacking::Call& call, std::uintptr_t hWnd, std::intptr_t insertAfter)
    {
        EXPECT_EQ(call.hWnd, hWnd);
        EXPECT_EQ(call.insertAfter, insertAfter);
        EXPECT_EQ(call.x, 0);
        EXPECT_EQ(call.y, 0);
        EXPECT_EQ(call.cx, 0);
        EXPECT_EQ(call.cy, 0);
        EXPECT_EQ(call.flags, 3u);
    }
};

TEST_F(AlwaysOnTopTest, TwoClicksGoOnTopAndBackToNormal)
{
    ASSERT_FALSE(f.altop.Checked());

    ASSERT_TRUE(choose(f, f.altop));
    ASSERT_EQ(h.stacking.calls.size(), 1u);
    expectCall(h.stacking.calls[0], h.form().hWnd(), -1);
    EXPECT_TRUE(f.altop.Checked());

    ASSERT_TRUE(choose(f, f.altop));
    ASSERT_EQ(h.stacking.calls.size(), 2u);
    expectCall(h.stacking.calls[1], h.form().hWnd(), -2);
    EXPECT_FALSE(f.altop.Checked());
}

TEST_F(AlwaysOnTopTest, ARefusedPlacementStillFlipsTheMark)
{
    h.stacking.result = 0;
    ASSERT_TRUE(choose(f, f.altop));
    EXPECT_TRUE(f.altop.Checked());
    ASSERT_TRUE(choose(f, f.altop));
    EXPECT_FALSE(f.altop.Checked());
    ASSERT_EQ(h.stacking.calls.size(), 2u);
    EXPECT_EQ(h.stacking.calls[1].insertAfter, -2);
    EXPECT_TRUE(h.boxes.shown.empty());
}

TEST_F(AlwaysOnTopTest, TheMarkAloneDecidesTheNextPlacement)
{
    f.altop.Checked(true);
    ASSERT_TRUE(choose(f, f.altop));
    ASSERT_EQ(h.stacking.calls.size(), 1u);
    EXPECT_EQ(h.stacking.calls[0].insertAfter, -2);
    EXPECT_FALSE(f.altop.Checked());
}

// ---------------------------------------------------------------- nothing kept

TEST(DisplayOptionsLifetime, ANewWindowStartsWithTimeAndNormalPlacement)
{
    fakes::SettingsStore kept;
    {
        Form1Harness first;
        first.load();
        const auto afterLoad = first.settings.values;
        ASSERT_TRUE(choose(first.f(), first.f().dis));
        ASSERT_TRUE(choose(first.f(), first.f().altop));
        first.cdlg1.nextColor = Navy;
        ASSERT_TRUE(choose(first.f(), first.f().bac));
        // The options write nothing to the store.
        EXPECT_EQ(first.settings.values, afterLoad);
        kept.values = first.settings.values;
    }

    Form1Harness second;
    second.settings.values = kept.values;
    second.load();
    EXPECT_EQ(second.f().dis.Caption(), "Display &Frames");
    EXPECT_FALSE(second.f().altop.Checked());
    EXPECT_TRUE(second.stacking.calls.empty());
    for (const std::string& call : second.mov1.log)
        EXPECT_EQ(call.rfind("Display", 0), std::string::npos) << call;
}

} // namespace
