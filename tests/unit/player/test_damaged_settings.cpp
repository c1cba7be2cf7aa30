// The player window over the store as the program guards it for a whole run:
// a settings file it cannot use is told once, and films play regardless.
#include "support/FakeMediaControl.h"
#include "support/Fakes.h"
#include "support/TempConfigHome.h"

#include "Form1.h"
#include "GuardedSettingsStore.h"
#include "HeadlessFormView.h"
#include "IniSettingsStore.h"

#include <gtest/gtest.h>

TEST(DamagedSettings, TheFilmAskedForPlaysAndTheFileIsToldOnceAndLeftAlone)
{
    TempConfigHome home;
    const QByteArray damaged = "[Recent%20Files\n0=/films/a.mpg\n";
    home.writeIni(damaged);
    platform::IniSettingsStore ini;
    std::vector<std::string> told;
    platform::GuardedSettingsStore store(ini, [&](const std::string& text) { told.push_back(text); });
    fakes::Services services;
    fakes::MediaControl mov1;
    player::Form1 form1(mov1, services.forForm1(store, "/films/film.mpg"));
    forms::HeadlessFormView view;
    view.connect(form1.form);
    form1.form.attach(view);

    form1.form.load();
    EXPECT_EQ(mov1.log, std::vector<std::string>{"MediaFile=/films/film.mpg"});
    mov1.completeOpen();
    EXPECT_EQ(mov1.log.back(), "StartPlayback");
    for (int i = 0; i < 10; ++i) {
        form1.form.viewFileDropped("/films/clip.mpg");
        mov1.completeOpen();
    }

    EXPECT_TRUE(services.boxes.shown.empty());
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find(home.iniPath().toStdString() + " is damaged"), std::string::npos) << told[0];
    EXPECT_EQ(home.iniBytes(), damaged);
    // A different trouble is told too.
    home.writeIni("[Recent%20Files]\n");
    QFile(home.iniPath()).setPermissions(QFile::ReadOwner);
    store.SaveSetting(player::AppName, player::RecentSection, "0", "/films/b.mpg");
    EXPECT_EQ(told.size(), 2u);
}
