// Start-up, opening a file and the recent-files list.
#include "Form1.h"

#include <array>
#include <optional>
#include <string_view>

namespace player {

namespace {

// The list's keys are the slot numbers written in plain decimal.
constexpr std::array<std::string_view, 5> RecentKeys{"0", "1", "2", "3", "4"};

} // namespace

void Form1::Form_Load()
{
    Mov1.Visible(false);
    createreg();
    vcdtrack = 0;
    // The whole text is one path: a name with blanks or quotes reaches the control as typed.
    if (services_.commandLine != "") {
        Mov1.MediaFile(services_.commandLine);
        Mov1.Visible(true);
    }
}

void Form1::opn_Click()
{
    // Any failure from here on ends the command without a word: a dialog that
    // could not be shown, or a file the control refused.
    try {
        cdlg1.ShowOpen();
        openChosen(cdlg1.FileName());
    } catch (...) {
        return;
    }
}

void Form1::Form_FileDrop(const std::string& path)
{
    try {
        // A subtitle file dropped on a playing film goes with it.
        if (Mov1.AddSubtitle(path))
            return;
        openChosen(path);
    } catch (...) {
        return;
    }
}

void Form1::openChosen(const std::string& chosen)
{
    if (chosen == "")
        return;
    vcdtrack = 0;
    Mov1.MediaFile(chosen);
    Mov1.Visible(true);
}

void Form1::Mov1_OpenComplete()
{
    ful.Enabled(true);
    sett.Enabled(true);
    four_Click();
    Mov1.StartPlayback();
    const std::string opened = Mov1.MediaFile();
    savename(opened);
}

void Form1::createreg()
{
    for (std::size_t i = 0; i < RecentKeys.size(); ++i) {
        const std::string path = services_.settings.GetSetting(AppName, RecentSection, RecentKeys[i], "");
        if (path != "") {
            poprec.Enabled(true);
            rec[i]->Visible(true);
            rec[i]->Caption(path);
        } else {
            // Writing the empty slots makes all five keys exist after the first run.
            services_.settings.SaveSetting(AppName, RecentSection, RecentKeys[i], "");
        }
    }
}

void Form1::savename(const std::string& path)
{
    // One edit of the stored list: another player recording a file meanwhile
    // waits, and a full disk leaves the list as it was, not half shifted.
    constexpr std::size_t Shifted = RecentKeys.size(); // the slot "changed" by a shift
    std::optional<std::size_t> slot;
    std::array<std::string, RecentKeys.size()> old;
    services_.settings.EditSettings(AppName, RecentSection, [&](platform::SettingsEdit& list) {
        slot.reset();
        for (std::size_t i = 0; i < RecentKeys.size(); ++i) {
            old[i] = list.Get(RecentKeys[i], "");
            if (old[i] == path)
                return; // Already listed: it keeps its slot.
            if (old[i] == "") {
                list.Set(RecentKeys[i], path);
                slot = i;
                return;
            }
        }
        // A full list: the new path goes on top and the others move down one
        // slot, from the values read above, so the oldest one falls out.
        list.Set(RecentKeys[0], path);
        for (std::size_t i = 1; i < RecentKeys.size(); ++i)
            list.Set(RecentKeys[i], old[i - 1]);
        slot = Shifted;
    });

    if (!slot)
        return;
    if (*slot != Shifted) {
        poprec.Enabled(true);
        rec[*slot]->Visible(true);
        rec[*slot]->Caption(path);
        return;
    }
    rec[0]->Caption(path);
    for (std::size_t i = 1; i < RecentKeys.size(); ++i)
        rec[i]->Caption(old[i - 1]);
}

void Form1::rec_Click(std::int16_t index)
{
    // The captions are the list in memory; the Video CD track is left alone.
    const std::string path = rec.at(static_cast<std::size_t>(index))->Caption();
    Mov1.MediaFile(path);
    Mov1.Visible(true);
}

} // namespace player
