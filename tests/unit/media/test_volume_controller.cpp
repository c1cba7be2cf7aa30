// The volume the user asks for, and what of it is remembered, without mpv.
#include "support/CountingStore.h"

#include "VolumeController.h"

#include <QTest>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using media::VolumeController;

constexpr const char* App = "Quorvel Movie";

TEST(VolumeController, StepsAndWheelNotchesStayWithinTheLimits)
{
    VolumeController volume;
    std::vector<int> told;
    QObject::connect(&volume, &VolumeController::levelChanged, [&](media::VolumeLevel level) {
        told.push_back(level.volume);
    });
    volume.step(1);
    EXPECT_EQ(volume.level().volume, 100);
    EXPECT_TRUE(told.empty()); // nothing changed, nothing told
    for (int i = 0; i < 30; ++i)
        volume.wheel(-120);
    EXPECT_EQ(volume.level().volume, 0);
    // A touchpad's small deltas add up to whole notches, either way.
    volume.wheel(40);
    volume.wheel(40);
    EXPECT_EQ(volume.level().volume, 0);
    volume.wheel(40);
    EXPECT_EQ(volume.level().volume, 5);
    volume.wheel(100);
    volume.wheel(-100);
    EXPECT_EQ(volume.level().volume, 5);
    volume.setVolume(250);
    EXPECT_EQ(volume.level().volume, 100);
    EXPECT_EQ(told.back(), 100);
}

TEST(VolumeController, ABurstOfChangesIsWrittenOnceWhenItIsOverAndReadBackNextTime)
{
    fakes::CountingStore store;
    {
        VolumeController volume;
        volume.rememberIn(store, App, {}, 20);
        volume.step(-1);
        volume.step(-1);
        volume.toggleMute();
        EXPECT_EQ(store.writes, 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return store.writes > 0; }, 5000));
        EXPECT_EQ(store.writes, 1); // the level and the mute in one edit
        EXPECT_EQ(store.values["Quorvel Movie/Volume/Level"], "90");
        EXPECT_EQ(store.values["Quorvel Movie/Volume/Mute"], "1");
        // A change still waiting when the player goes is written all the same.
        volume.setVolume(42);
    }
    EXPECT_EQ(store.writes, 2);
    VolumeController next;
    next.rememberIn(store, App, {});
    EXPECT_EQ(next.level(), (media::VolumeLevel{42, true}));
}

TEST(VolumeController, AStoreThatFailsLeavesTheVolumeWorkingAndIsToldOnce)
{
    fakes::CountingStore store;
    store.failing = true;
    std::vector<std::string> told;
    VolumeController volume;
    volume.rememberIn(store, App, [&](const std::string& text) { told.push_back(text); }, 1);
    EXPECT_EQ(volume.level().volume, 100);
    for (int round = 0; round < 3; ++round) {
        volume.step(-1);
        // Each round's write is tried (and fails) before the next change.
        ASSERT_TRUE(QTest::qWaitFor([&] { return store.attempts > round; }, 5000));
    }
    EXPECT_EQ(volume.level().volume, 85);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("cannot read the settings file"), std::string::npos) << told[0];
}

} // namespace
