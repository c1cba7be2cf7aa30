#pragma once

#include "CommonDialog.h"
#include "Dispatcher.h"
#include "Drives.h"
#include "FileProbe.h"
#include "Form.h"
#include "FormLayout.h"
#include "MediaControl.h"
#include "MenuBar.h"
#include "MessageBoxes.h"
#include "SettingsStore.h"
#include "SystemMetrics.h"
#include "WindowStacking.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace player {

// Everything outside the window that the player window talks to.
struct Form1Services {
    platform::SystemMetrics& metrics;
    platform::WindowStacking& stacking;
    platform::CommonDialog& cdlg1;
    platform::MessageBoxes& boxes;
    platform::SettingsStore& settings;
    platform::Drives& drives;
    platform::FileProbe& files;
    // Loads the About dialog afresh and shows it modally over the player window.
    std::function<void()> showAbout;
    // The command-line text: the arguments as one unparsed path, "" for none.
    std::string commandLine;
};

// The stored layout of the player window.
const forms::FormLayout& form1Layout();
inline constexpr forms::ControlPlacement Mov1Placement{"Mov1", 240, 240, 5175, 4935};
inline constexpr std::string_view OpenFilter =
    "All Movie Files|*.mpeg;*.mpe;*.mpg;*.avi;*.mov;*.dat;*.mp3|All Files|*.*";
// Settings store address of the recent-files list.
inline constexpr std::string_view AppName = "Quorvel Movie";
inline constexpr std::string_view RecentSection = "Recent Files";

// The player window: its menus, its hosted media control and its handlers.
class Form1 {
  public:
    Form1(media::MediaControl& mov1, Form1Services services);
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    forms::Dispatcher dispatcher;
    forms::Form form;
    forms::MenuBar menus;

    media::MediaControl& Mov1;
    platform::CommonDialog& cdlg1;

    forms::MenuItem& pop1;
    forms::MenuItem& opn;
    forms::MenuItem& vcd;
    forms::MenuItem& ful;
    forms::MenuItem& poprec;
    std::vector<forms::MenuItem*> rec;
    forms::MenuItem& sett;
    forms::MenuItem& bac;
    forms::MenuItem& fore;
    forms::MenuItem& zom;
    forms::MenuItem& orig;
    forms::MenuItem& double_;
    forms::MenuItem& half;
    forms::MenuItem& four;
    forms::MenuItem& dis;
    forms::MenuItem& altop;
    forms::MenuItem& sd2e2;
    forms::MenuItem& about;

    // Video CD state: the track now playing (0: none) and whether the disc holds video.
    std::uint8_t vcdtrack = 0;
    bool vcdvideo = false;

    // Start-up and opening.
    void Form_Load();
    void opn_Click();
    // A file dropped on the window opens as if File, Open had chosen it.
    void Form_FileDrop(const std::string& path);
    void Mov1_OpenComplete();

    // Geometry.
    void Form_Resize();
    void Resize_Movie();
    void ful_Click();
    void allign();
    void orig_Click();
    void double_Click();
    void half_Click();
    void four_Click();

    // Display options.
    void dis_Click();
    void bac_Click();
    void fore_Click();
    void altop_Click();

    // Recent files.
    void createreg();
    void savename(const std::string& path);
    void rec_Click(std::int16_t index);

    // Video CD.
    std::string getCDROM();
    bool isfile(const std::string& fname);
    std::string vcdname(const std::uint8_t& track);
    void vcd_Click();
    void Form_KeyPress(std::int16_t& keyAscii);
    void Mov1_KeyPress(std::int16_t& keyAscii);

    void about_Click();

  private:
    void sizeCommand(std::int32_t movieSize);
    void pickColor(std::int32_t (media::MediaControl::*get)() const, void (media::MediaControl::*put)(std::int32_t));
    void wireEvents();
    void openChosen(const std::string& chosen);

    Form1Services services_;
};

} // namespace player
