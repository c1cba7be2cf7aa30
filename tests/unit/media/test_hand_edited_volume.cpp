// Volume and mute as someone may have typed them into the settings file.
#include "support/Fakes.h"

#include "VolumeMemory.h"

#include <gtest/gtest.h>

TEST(VolumeMemory, HandEditedValuesAreReadAsMeantAndLeftInTheFile)
{
    const struct {
        const char* level;
        const char* mute;
        media::VolumeLevel read;
    } cases[] = {
        {"50.5", "true", {51, true}},  {"+50", "TRUE", {50, true}}, {" 50 ", "1", {50, true}},
        {"49.4", "false", {49, false}}, {"50 %", "0", {50, false}}, {"150", "False", {100, false}},
        {"-3", "1", {0, true}},         {"loud", "maybe", {100, false}}, {"nan", "2", {100, false}},
        {"", "", {100, false}},
    };
    for (const auto& c : cases) {
        fakes::SettingsStore store;
        store.values["Quorvel Movie/Volume/Level"] = c.level;
        store.values["Quorvel Movie/Volume/Mute"] = c.mute;
        const auto before = store.values;
        media::VolumeMemory memory(store, "Quorvel Movie", {});
        const media::VolumeLevel read = memory.load();
        EXPECT_EQ(read.volume, c.read.volume) << "Level=" << c.level;
        EXPECT_EQ(read.muted, c.read.muted) << "Mute=" << c.mute;
        memory.flush();
        EXPECT_EQ(store.values, before) << "Level=" << c.level;
    }
}
