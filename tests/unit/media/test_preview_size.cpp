// The seek-bar preview's size and place, and its setting.
#include "PreviewSize.h"
#include "SeekPreviewSetting.h"

#include "RuntimeError.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using media::previewPictureSize;
using media::previewTopLeft;

TEST(PreviewSize, ASixthOfTheShownWidthWithinTheLimitsInTheFilmsShape)
{
    // Full screen 1920 wide: 320, the largest.
    EXPECT_EQ(previewPictureSize({1920, 1080}, {1920, 1080}), QSize(320, 180));
    // 1200 shown: a sixth.
    EXPECT_EQ(previewPictureSize({1920, 1080}, {1200, 675}), QSize(200, 113));
    // A quarter-screen window: 160, the smallest.
    EXPECT_EQ(previewPictureSize({352, 288}, {480, 393}), QSize(160, 131));
    // Black bars do not count: a 4:3 film in a wide area is shown 1000 wide.
    EXPECT_EQ(previewPictureSize({640, 480}, {1920, 750}), QSize(167, 125));
    // A rotated (upright) film keeps its shape.
    EXPECT_EQ(previewPictureSize({1080, 1920}, {1920, 1080}), QSize(160, 284));
    // No picture, no size.
    EXPECT_TRUE(previewPictureSize({}, {1920, 1080}).isEmpty());
}

TEST(PreviewSize, StaysInsideTheScreenAtBothEndsAndAboveTheBar)
{
    const QRect screen(0, 0, 1024, 768);
    const QSize size(162, 120);
    // In the middle: centred over the pointer, above the bar.
    EXPECT_EQ(previewTopLeft({500, 700}, 690, size, screen), QPoint(419, 566));
    // At the left and right ends, against the screen's edges.
    EXPECT_EQ(previewTopLeft({3, 700}, 690, size, screen).x(), 0);
    EXPECT_EQ(previewTopLeft({1020, 700}, 690, size, screen).x(), 1024 - 162);
    // On a second screen to the right.
    EXPECT_EQ(previewTopLeft({1030, 700}, 690, size, QRect(1024, 0, 800, 600)).x(), 1024);
    // A bar at the top of the screen: below the pointer instead, still on the screen.
    const QPoint below = previewTopLeft({500, 10}, 5, size, screen);
    EXPECT_GT(below.y(), 10);
    EXPECT_LE(below.y() + size.height(), 768);
}

class ThrowingStore : public fakes::SettingsStore {
  public:
    std::string GetSetting(std::string_view, std::string_view, std::string_view, std::string_view) override
    {
        throw forms::RuntimeError("locked");
    }
    void SaveSetting(std::string_view, std::string_view, std::string_view, std::string_view) override
    {
        throw forms::RuntimeError("read-only");
    }
};

TEST(SeekPreviewSetting, OnUntilTurnedOffKeptInItsOwnSectionAndFailuresToldOnce)
{
    fakes::SettingsStore store;
    store.values["Player/Recent Files/0"] = "/films/a.mpg";
    media::SeekPreviewSetting setting(store, "Player", {});
    EXPECT_TRUE(setting.load());
    setting.save(false);
    EXPECT_EQ(store.values["Player/Preferences/SeekPreview"], "0");
    EXPECT_FALSE(media::SeekPreviewSetting(store, "Player", {}).load());
    store.values["Player/Preferences/SeekPreview"] = "garbage";
    EXPECT_TRUE(setting.load());
    EXPECT_EQ(store.values.size(), 2u);
    EXPECT_EQ(store.values["Player/Recent Files/0"], "/films/a.mpg");

    ThrowingStore broken;
    std::vector<std::string> told;
    media::SeekPreviewSetting failing(broken, "Player", [&](const std::string& text) { told.push_back(text); });
    EXPECT_TRUE(failing.load());
    failing.save(true);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("locked"), std::string::npos);
}

} // namespace
